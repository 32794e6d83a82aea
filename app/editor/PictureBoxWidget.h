#pragma once

#include <QWidget>

struct Control;

// A box the editor prints into: paints the model's background and lines in
// its own font, each line cut at the right edge, and reports clicks.
class PictureBoxWidget : public QWidget {
    Q_OBJECT
public:
    PictureBoxWidget(const Control& model, QWidget* parent = nullptr);

    // Width of a text in this box's font, as the wrap measures it.
    int textWidth(const QString& text) const;
    // Repaints when the model was drawn again since the last call.
    void refresh();
    // Lines as last painted.
    QStringList paintedLines() const { return painted_; }

Q_SIGNALS:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    const Control& model_;
    int seenDraws_ = -1;
    bool pressed_ = false;
    QStringList painted_;
};
