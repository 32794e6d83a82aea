#include "PdfWriter.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>
#include <QUrl>

namespace pdf {

namespace {

// A picture as wide as the page at most; larger ones are scaled down so that
// a camera's photo does not spill over the margin.
constexpr int kMaxPictureWidthPt = 480;

// Loads the pictures a document names by file path itself: only local plain
// files, only what QImageReader can decode within its allocation limit, and
// nothing else a document might name (no network, no resources).
class Document : public QTextDocument {
protected:
    QVariant loadResource(int type, const QUrl& name) override
    {
        if (type != QTextDocument::ImageResource)
            return {};
        const QString path = name.isLocalFile() ? name.toLocalFile() : name.toString();
        if (path.isEmpty() || path.contains(QLatin1String("://")))
            return {};
        QImageReader reader(path);
        reader.setAutoTransform(true);
        if (reader.size().isValid() && reader.size().width() > kMaxPictureWidthPt * 2)
            reader.setScaledSize(reader.size().scaled(kMaxPictureWidthPt * 2, kMaxPictureWidthPt * 8,
                                                      Qt::KeepAspectRatio));
        const QImage image = reader.read();
        if (image.isNull())
            return {};
        return image;
    }
};

}  // namespace

bool Write(const QString& html, const QString& path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    {
        QPdfWriter writer(&file);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(20, 15, 15, 15), QPageLayout::Millimeter);
        writer.setResolution(300);
        writer.setCreator(QStringLiteral("Тандемо"));
        Document document;
        document.setDefaultStyleSheet(QStringLiteral("body { font-size: 11pt; } h1 { font-size: 16pt; }"));
        document.setHtml(html);
        document.print(&writer);
    }
    return file.commit();
}

}  // namespace pdf
