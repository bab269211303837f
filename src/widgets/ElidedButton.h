#pragma once

#include <QPushButton>

namespace tomaro {

// A push button whose text, when wider than the button, is cut at the right with "…" instead of
// at both ends; the whole text is its tooltip then. text() stays the whole text.
class ElidedButton : public QPushButton {
    Q_OBJECT
public:
    explicit ElidedButton(QWidget* parent = nullptr);

    // Sets the text and the tooltip that goes with it.
    void setCaption(const QString& caption);

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

private:
    void updateToolTip();
};

}  // namespace tomaro
