#include "tfabout.h"

#include "about/link_label.h"
#include "app/tool_icons.h"
#include "platform/shell.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace {
template <typename T> T* named(T* object, const char* name) {
    object->setObjectName(QString::fromLatin1(name));
    return object;
}

QFont tahoma(int pixels, bool bold = false) {
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}
} // namespace

TFAbout::TFAbout(Shell& shell, WebLinks links, QWidget* parent)
    : QDialog(parent), m_shell(shell), m_links(std::move(links)) {
    setObjectName(QStringLiteral("FAbout"));
    setWindowTitle(QStringLiteral("关于"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(279, 227);
    setFont(tahoma(11));
    setModal(true);

    // The icon is drawn and the texts measured when the box is first shown (prepareToShow).
    Image1 = named(new QLabel(this), "Image1");
    Image1->setGeometry(24, 18, 33, 32);

    TntLabel1 = named(new QLabel(QStringLiteral("Parlora 2008"), this), "TntLabel1");
    TntLabel1->setFont(tahoma(13, true));
    TntLabel1->setStyleSheet(QStringLiteral("color: black;"));
    TntLabel1->move(67, 28);

    // The captions are the addresses themselves; long ones are shortened in the middle.
    const auto link = [this](const char* name, const QString& address, int y,
                             void (TFAbout::*action)()) {
        auto* label = named(new QLabel(address, this), name);
        label->setTextFormat(Qt::PlainText);
        label->setGeometry(26, y, width() - 26 - 8, 18);
        label->setToolTip(address);
        makeLink(label, [this, action] { (this->*action)(); });
        return label;
    };
    TntLabel3 = link("TntLabel3", m_links.homePage, 88, &TFAbout::TntLabel3Click);
    TntLabel4 = link("TntLabel4", m_links.contact, 114, &TFAbout::TntLabel4Click);

    Bevel1 = named(new QFrame(this), "Bevel1");
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(0, 177, width(), 2);

    BtnClose = named(new QPushButton(QStringLiteral("关闭"), this), "BtnClose");
    BtnClose->setGeometry(199, 190, 75, 25);
    connect(BtnClose, &QPushButton::clicked, this, &TFAbout::BtnCloseClick);
}

// Drawing the icon and measuring the texts load images and fonts that start-up does not need.
// A caption that a language file gave a link is shown as it is.
void TFAbout::prepareToShow() {
    Image1->setPixmap(programIcon().pixmap(32, 32));
    TntLabel1->adjustSize();
    for (const auto& [label, address] :
         {std::pair{TntLabel3, m_links.homePage}, std::pair{TntLabel4, m_links.contact}}) {
        if (label->text() == address)
            label->setText(
                label->fontMetrics().elidedText(address, Qt::ElideMiddle, label->width()));
    }
}

void TFAbout::showEvent(QShowEvent* event) {
    if (!m_prepared) {
        prepareToShow();
        m_prepared = true;
    }
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    QDialog::showEvent(event);
}

void TFAbout::TntLabel3Click() {
    m_shell.openUrl(m_links.homePage);
}

void TFAbout::TntLabel4Click() {
    m_shell.openUrl(mailLink(m_links.contact));
}

void TFAbout::BtnCloseClick() {
    close();
}
