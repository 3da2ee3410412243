#include "desktop_services.h"

#include "app/app_error.h"

#include <QColorDialog>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QUrl>

void QtDialogs::showMessage(QWidget* parent, const QString& caption, const QString& text,
                            Icon icon) {
    const QMessageBox::Icon boxIcon = icon == Icon::Error     ? QMessageBox::Critical
                                      : icon == Icon::Warning ? QMessageBox::Warning
                                                              : QMessageBox::Information;
    QMessageBox box(boxIcon, caption, text, QMessageBox::Ok, parent);
    box.exec();
}

QString QtDialogs::openFileName(QWidget* parent, const QString& filters) {
    return QFileDialog::getOpenFileName(parent, QString(), QString(), filters);
}

Dialogs::SaveChoice QtDialogs::saveFileName(QWidget* parent, const QString& filters,
                                            const QString& defaultSuffix) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(filters);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return {dialog.selectedFiles().constFirst(), dialog.selectedNameFilter()};
}

QString QtDialogs::existingDirectory(QWidget* parent, const QString& caption) {
    return QFileDialog::getExistingDirectory(parent, caption);
}

bool QtDialogs::confirm(QWidget* parent, const QString& caption, const QString& text) {
    return QMessageBox::question(parent, caption, text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

std::optional<QFont> QtDialogs::chooseFont(QWidget* parent, const QFont& initial) {
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, initial, parent);
    return ok ? std::optional<QFont>(font) : std::nullopt;
}

std::optional<QColor> QtDialogs::chooseColor(QWidget* parent, const QColor& initial) {
    const QColor color = QColorDialog::getColor(initial, parent);
    return color.isValid() ? std::optional<QColor>(color) : std::nullopt;
}

bool QtDialogs::setUpPrinter(QWidget* parent, QPrinter& printer) {
    QPageSetupDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

bool QtDialogs::choosePrinter(QWidget* parent, QPrinter& printer) {
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

XdgDataDirectory::XdgDataDirectory(QString programBaseName)
    : m_programBaseName(std::move(programBaseName)) {}

QString XdgDataDirectory::location() const {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + u'/' + m_programBaseName + u'/';
}

QString XdgDataDirectory::path() {
    const QString dir = location();
    if (!QDir().mkpath(dir))
        throw AppError(QStringLiteral("无法创建文件夹 %1").arg(dir));
    return dir;
}

void DesktopShell::openUrl(const QString& url) {
    QDesktopServices::openUrl(QUrl(url));
}
