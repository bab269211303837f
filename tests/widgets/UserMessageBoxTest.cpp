// The one message box of the windows, as the user sees it: every severity of a message with its
// icon, the message's caption as the title, its text as it is, and one OK button.
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

#include "widgets/UserMessageBox.h"

namespace tomaro {

class UserMessageBoxTest : public QObject {
    Q_OBJECT

private slots:
    void eachSeverityShowsItsIconCaptionAndText() {
        const struct {
            UserMessage::Severity severity;
            QMessageBox::Icon icon;
        } cases[] = {{UserMessage::Severity::Information, QMessageBox::Information},
                     {UserMessage::Severity::Warning, QMessageBox::Warning},
                     {UserMessage::Severity::Error, QMessageBox::Critical}};
        for (const auto& c : cases) {
            QString title;
            QString text;
            QMessageBox::Icon icon = QMessageBox::NoIcon;
            QList<QAbstractButton*> buttons;
            // The box is modal: read it and close it from inside its own event loop.
            QTimer::singleShot(0, this, [&] {
                for (QWidget* widget : QApplication::topLevelWidgets()) {
                    if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible()) {
                        title = box->windowTitle();
                        text = box->text();
                        icon = box->icon();
                        buttons = box->buttons();
                        box->done(QMessageBox::Ok);
                    }
                }
            });
            showUserMessage(nullptr,
                            UserMessage{"не могу открыть файл !!! \n", "Tomaro", c.severity});
            QCOMPARE(icon, c.icon);
            QCOMPARE(title, QStringLiteral("Tomaro"));
            QCOMPARE(text, QStringLiteral("не могу открыть файл !!! \n"));
            QCOMPARE(buttons.size(), 1);
        }
    }
};

}  // namespace tomaro

QTEST_MAIN(tomaro::UserMessageBoxTest)
#include "UserMessageBoxTest.moc"
