#pragma once

#include <QString>
#include <initializer_list>

class QComboBox;
class QLabel;
class QObject;
class QWidget;

// Texts of long-lived widgets that follow a change of language at once. Each function sets the
// translation of `source` (a Russian string literal marked with QT_TR_NOOP in a member function
// of `owner`'s class, so that lupdate finds it under that class's context) and keeps the source
// with the widget; retranslate() sets every kept text again after the translators changed.
// Windows call retranslate(this) on QEvent::LanguageChange. Texts built each time they are shown
// (messages, painted labels, modal dialogs) use tr() directly. User-interface thread only.
namespace tomaro::i18n {

// The text of a label or a button, the title of a group box.
void setText(QWidget* widget, const QObject* owner, const char* source);
void setToolTip(QWidget* widget, const QObject* owner, const char* source);
void setWindowTitle(QWidget* widget, const QObject* owner, const char* source);
// Replaces the combo box's items (their data stays unset); the current index is kept.
void setItems(QComboBox* combo, const QObject* owner, std::initializer_list<const char*> sources);

// setText() in one expression: `withText(new QGroupBox(parent), this, QT_TR_NOOP("..."))`.
template <class Widget>
Widget* withText(Widget* widget, const QObject* owner, const char* source) {
    setText(widget, owner, source);
    return widget;
}
// A new label with a kept text (for the rows of a form).
QLabel* label(QWidget* parent, const QObject* owner, const char* source);

// The translation of `source` in `owner`'s context, as `owner`'s tr() would give it.
QString translate(const QObject* owner, const char* source);

// Sets every kept text of `root` and of its children again, and repaints them.
void retranslate(QWidget* root);

}  // namespace tomaro::i18n
