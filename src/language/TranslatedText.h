#pragma once

#include <QString>
#include <initializer_list>

class QComboBox;
class QLabel;
class QObject;
class QWidget;

// Texts of long-lived widgets that follow a change of language at once. Each function sets the
// translation of `source` (a Russian string literal marked with QT_TR_NOOP in a member function
// of the owner's class, or with QT_TRANSLATE_NOOP under a named context, so that lupdate finds it
// there) and keeps the source with the widget; retranslate() sets every kept text again after the
// translators changed. Windows call retranslate(this) on QEvent::LanguageChange. Texts built each
// time they are shown (messages, painted labels, modal dialogs) use tr() directly.
// User-interface thread only.
namespace tomaro::i18n {

// The context a text is translated in: a class name as lupdate records it ("tomaro::CMainDlg").
// From an owner it is the owner's class (texts marked QT_TR_NOOP in its member functions); a widget
// made on behalf of a window names the window's context instead, so that its texts stay where the
// translation has them (marked QT_TRANSLATE_NOOP("tomaro::CMainDlg", "...")). `name` must live as
// long as the program (a string literal).
class Context {
public:
    // Implicit, so that every call may pass `this`.
    Context(const QObject* owner);
    explicit constexpr Context(const char* name) : m_Name(name) {}
    const char* name() const { return m_Name; }

private:
    const char* m_Name;
};

// The text of a label or a button, the title of a group box.
void setText(QWidget* widget, Context context, const char* source);
void setToolTip(QWidget* widget, Context context, const char* source);
void setWindowTitle(QWidget* widget, Context context, const char* source);
// Replaces the combo box's items (their data stays unset); the current index is kept.
void setItems(QComboBox* combo, Context context, std::initializer_list<const char*> sources);

// setText() in one expression: `withText(new QGroupBox(parent), this, QT_TR_NOOP("..."))`.
template <class Widget>
Widget* withText(Widget* widget, Context context, const char* source) {
    setText(widget, context, source);
    return widget;
}
// A new label with a kept text (for the rows of a form).
QLabel* label(QWidget* parent, Context context, const char* source);

// The translation of `source` in `context`, as the owner's tr() would give it.
QString translate(Context context, const char* source);

// Sets every kept text of `root` and of its children again, and repaints them.
void retranslate(QWidget* root);

}  // namespace tomaro::i18n
