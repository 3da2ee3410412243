#pragma once

#include "clock.h"
#include "data_directory.h"
#include "dialogs.h"
#include "shell.h"
#include "system_info.h"

// The real services of this desktop.

class QtDialogs : public Dialogs {
public:
    void showMessage(QWidget* parent, const QString& caption, const QString& text,
                     Icon icon) override;
    QString openFileName(QWidget* parent, const QString& filters) override;
    SaveChoice saveFileName(QWidget* parent, const QString& filters,
                            const QString& defaultSuffix) override;
    QString existingDirectory(QWidget* parent, const QString& caption) override;
    bool confirm(QWidget* parent, const QString& caption, const QString& text) override;
    std::optional<QFont> chooseFont(QWidget* parent, const QFont& initial) override;
    std::optional<QColor> chooseColor(QWidget* parent, const QColor& initial) override;
    bool setUpPrinter(QWidget* parent, QPrinter& printer) override;
    bool choosePrinter(QWidget* parent, QPrinter& printer) override;
};

// $XDG_CONFIG_HOME (default ~/.config) + "/" + the program's base name + "/".
class XdgDataDirectory : public DataDirectory {
public:
    explicit XdgDataDirectory(QString programBaseName);
    QString path() override;
    // The same folder, left as it is: missing or not.
    QString location() const;

private:
    QString m_programBaseName;
};

class LinuxSystemInfo : public SystemInfo {
public:
    int majorVersion() const override { return 0; }
};

class SystemClock : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

class DesktopShell : public Shell {
public:
    void openUrl(const QString& url) override;
};
