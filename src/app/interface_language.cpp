#include "interface_language.h"

#include "app/language_file.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QWidget>
#include <functional>

namespace {

using Setter = std::function<void(const QString&)>;
struct TextProperty {
    QString name;
    Setter set;
};

// A tool tip that looks like markup would be rendered as such; keep it the text it is.
QString plainToolTip(const QString& text) {
    return Qt::mightBeRichText(text)
               ? QStringLiteral("<p style='white-space:pre'>%1</p>").arg(text.toHtmlEscaped())
               : text;
}

// The text properties a component has, in the order they are looked up: Caption, Hint, Title,
// Text, Filter, SimpleText. No component here has a Title, Filter or SimpleText of its own.
QList<TextProperty> textProperties(QObject* component) {
    QList<TextProperty> properties;
    const auto add = [&](const char* name, Setter set) {
        properties.append({QString::fromLatin1(name), std::move(set)});
    };
    if (auto* item = qobject_cast<QAction*>(component)) {
        add("Caption", [item](const QString& v) { item->setText(v); });
        add("Hint", [item](const QString& v) { item->setToolTip(v); });
    } else if (auto* menu = qobject_cast<QMenu*>(component)) {
        add("Caption", [menu](const QString& v) { menu->setTitle(v); });
    } else if (auto* icon = qobject_cast<QSystemTrayIcon*>(component)) {
        add("Hint", [icon](const QString& v) { icon->setToolTip(v); });
    } else if (auto* widget = qobject_cast<QWidget*>(component)) {
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            add("Caption", [button](const QString& v) { button->setText(v); });
        else if (auto* label = qobject_cast<QLabel*>(widget))
            add("Caption", [label](const QString& v) {
                label->setTextFormat(Qt::PlainText);
                label->setText(v);
            });
        else if (auto* group = qobject_cast<QGroupBox*>(widget))
            add("Caption", [group](const QString& v) { group->setTitle(v); });
        add("Hint", [widget](const QString& v) { widget->setToolTip(plainToolTip(v)); });
        if (auto* edit = qobject_cast<QLineEdit*>(widget))
            add("Text", [edit](const QString& v) { edit->setText(v); });
        else if (auto* combo = qobject_cast<QComboBox*>(widget); combo && combo->isEditable())
            add("Text", [combo](const QString& v) { combo->setEditText(v); });
    }
    return properties;
}

} // namespace

QString languageName(const QString& caption) {
    const qsizetype open = caption.indexOf(u'(');
    const qsizetype close = caption.indexOf(u')');
    if (open < 0 || close <= open)
        return {};
    const QString name = caption.mid(open + 1, close - open - 1);
    const bool pathLike = name.contains(u'/') || name.contains(u'\\') || name.startsWith(u'.') ||
                          name.contains(QChar(0));
    return pathLike ? QString() : name;
}

QStringList languageFiles(const QString& programDirectory, const QString& language) {
    QStringList files;
    if (language.isEmpty())
        return files;
    const QString fileName = language + QStringLiteral(".ini");
    for (const QString& path :
         {programDirectory + fileName, programDirectory + QStringLiteral("Language/") + fileName}) {
        // One that cannot be read changes nothing, like one that is not there.
        if (const QFileInfo info(path); info.isFile() && info.isReadable())
            files << path;
    }
    return files;
}

void translateWindow(QWidget* window, const QString& file) {
    const LanguageFile language = LanguageFile::load(file);
    const QString windowName = window->objectName();

    if (const QString caption = language.text(windowName, QStringLiteral("Caption"));
        !caption.isEmpty())
        window->setWindowTitle(caption);
    window->setFont(QFont(QStringLiteral("Tahoma"), 9));

    for (QObject* component : window->findChildren<QObject*>()) {
        if (component->objectName().isEmpty())
            continue;
        for (const TextProperty& property : textProperties(component)) {
            const QString value =
                language.text(windowName + u'.' + component->objectName(), property.name);
            if (!value.isEmpty())
                property.set(value);
        }
    }
}
