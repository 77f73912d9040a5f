#include "app/tfrmtarvoabout.h"

#include "app/artwork.h"
#include "app/windowdesign.h"
#include "platform/errorhandler.h"
#include "platform/interaction.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

namespace tarvo {

TfrmTarvoAbout::TfrmTarvoAbout(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint),
      FormBase(this)
{
    setObjectName(QStringLiteral("frmTarvoAbout"));
    setWindowTitle(QStringLiteral("About"));
    setFont(designFont());
    setFixedSize(591, 408);

    imgPicture = new QLabel(this);
    imgPicture->setObjectName(QStringLiteral("imgPicture"));
    imgPicture->setGeometry(8, 8, 169, 350);
    imgPicture->setPixmap(aboutPicture());

    QFont larger = designFont();
    larger.setPointSize(12);
    lblLink = new QLabel(this);
    lblLink->setObjectName(QStringLiteral("lblLink"));
    lblLink->setGeometry(200, 40, 380, 28);
    lblLink->setFont(larger);
    lblLink->setTextFormat(Qt::RichText);
    lblLink->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    lblLink->setText(QStringLiteral("Designed By <a href=\"%1\">Vendrel 1.0</a>").arg(productAddress()));

    lblText = new QLabel(QStringLiteral("Tarvo runs the applications designed in Vendrel: their tables, forms, "
                                        "searches and reports, on one SQLite database file."),
                         this);
    lblText->setObjectName(QStringLiteral("lblText"));
    lblText->setGeometry(200, 84, 370, 60);
    lblText->setWordWrap(true);
    lblText->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    lblVersion = new QLabel(QStringLiteral("Tarvo " TARVO_VERSION), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->setGeometry(200, 150, 370, 20);

    auto *divider = new QFrame(this);
    divider->setObjectName(QStringLiteral("Bevel1"));
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Sunken);
    divider->setGeometry(8, 364, 575, 4);

    bOK = new QPushButton(QStringLiteral("OK"), this);
    bOK->setObjectName(QStringLiteral("bOK"));
    bOK->setGeometry(508, 375, 75, 25);
    bOK->setDefault(true);

    for (QObject *c :
         {static_cast<QObject *>(imgPicture), static_cast<QObject *>(lblLink), static_cast<QObject *>(lblText),
          static_cast<QObject *>(lblVersion), static_cast<QObject *>(divider), static_cast<QObject *>(bOK)})
        addComponent(c);

    connect(lblLink, &QLabel::linkActivated, this, [this] { guarded([this] { lblLinkClick(); }); });
    connect(bOK, &QPushButton::clicked, this, [this] { guarded([this] { bOKClick(); }); });
}

QString TfrmTarvoAbout::productAddress()
{
    return QStringLiteral("https://vendrel.example.com/");
}

void TfrmTarvoAbout::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    centreOnScreen(this);
}

void TfrmTarvoAbout::lblLinkClick()
{
    interaction().openUrl(QUrl(productAddress()));
}

void TfrmTarvoAbout::bOKClick()
{
    close();
}

} // namespace tarvo
