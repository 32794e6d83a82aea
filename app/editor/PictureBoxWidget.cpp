#include "editor/PictureBoxWidget.h"

#include "ground/windows/PictureBox.h"

#include <QMouseEvent>
#include <QPainter>

PictureBoxWidget::PictureBoxWidget(const Control& model, QWidget* parent) : QWidget(parent), model_(model)
{
    // Three lines of this font fill the question box.
    QFont f = font();
    f.setPixelSize(12);
    setFont(f);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

int PictureBoxWidget::textWidth(const QString& text) const
{
    return fontMetrics().horizontalAdvance(text);
}

void PictureBoxWidget::refresh()
{
    if (seenDraws_ != model_.draws) {
        seenDraws_ = model_.draws;
        update();
    }
}

void PictureBoxWidget::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QColor back(QRgb(0xFF000000u | model_.backColor));
    p.fillRect(rect(), back);
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    const int m = kPictureMargin;
    p.setClipRect(rect().adjusted(m, m, -m, -m));
    p.setPen(Qt::black);
    const QFontMetrics fm = fontMetrics();
    int y = m;
    for (const QString& line : model_.lines) {
        p.drawText(m, y + fm.ascent(), line);
        y += fm.lineSpacing();
    }
    painted_ = model_.lines;
}

void PictureBoxWidget::mousePressEvent(QMouseEvent* event)
{
    pressed_ = event->button() == Qt::LeftButton;
    QWidget::mousePressEvent(event);
}

void PictureBoxWidget::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    QWidget::mouseReleaseEvent(event);
    if (click)
        Q_EMIT clicked();
}
