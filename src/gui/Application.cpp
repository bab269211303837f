#include "gui/Application.h"

#include <QStandardPaths>

namespace tomaro {

Application::Application(Profile& profile, const QString& historyPath, AppServices services)
    : m_History(historyPath.toStdString()), m_MainWindow(profile, m_History, std::move(services)) {}

QString Application::defaultHistoryPath() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/tomaro.sqlite");
}

}  // namespace tomaro
