#include "desktop_services.h"

#include "app/app_error.h"

#include <QDesktopServices>
#include <QDir>
#include <QMessageBox>
#include <QUrl>

void QtDialogs::showMessage(QWidget* parent, const QString& caption, const QString& text,
                            Icon icon) {
    const QMessageBox::Icon boxIcon = icon == Icon::Error     ? QMessageBox::Critical
                                      : icon == Icon::Warning ? QMessageBox::Warning
                                                              : QMessageBox::Information;
    QMessageBox box(boxIcon, caption, text, QMessageBox::Ok, parent);
    box.exec();
}

XdgDataDirectory::XdgDataDirectory(QString programBaseName)
    : m_programBaseName(std::move(programBaseName)) {}

QString XdgDataDirectory::path() {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    const QString dir = base + u'/' + m_programBaseName + u'/';
    if (!QDir().mkpath(dir))
        throw AppError(QStringLiteral("Unable to create directory %1").arg(dir));
    return dir;
}

void DesktopShell::openUrl(const QString& url) {
    QDesktopServices::openUrl(QUrl(url));
}
