#include "ui/About.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

#include "codecs/LibraryVersions.h"
#include "imaging/ICCLib.h"
#include "ui/Icons.h"
#include "ui/MainForm.h"
#include "ui/QtOwned.h"
#include "ui/QtText.h"

namespace vorn::ui {

QString TfrmAbout::LicenceText() {
  return tr("No licence has been granted yet: all rights are reserved by the developers.");
}

// "Qt 6.4.2, LittleCMS 2.14, libjpeg 8.0, libpng 1.6.39, libtiff 4.5.0"
QString TfrmAbout::LibrariesText() {
  // not translated: the libraries' names
  QStringList parts{QStringLiteral("Qt ") + QString::fromLatin1(qVersion()),
                    QStringLiteral("LittleCMS ") + ToQt(LittleCmsVersion())};
  for (const TLibraryVersion& library : PictureLibraryVersions()) {
    parts << ToQt(library.Name + " " + library.Version);
  }
  return tr("Built with %1").arg(parts.join(QStringLiteral(", ")));
}

TfrmAbout::TfrmAbout(QWidget* owner) : QDialog(owner) {
  setObjectName("frmAbout");
  setWindowTitle(tr("About"));

  auto* layout = MakeChild<QGridLayout>(this);
  layout->setContentsMargins(22, 20, 22, 16);
  layout->setHorizontalSpacing(18);
  layout->setVerticalSpacing(6);

  auto* icon = MakeChild<QLabel>(this, QString());
  icon->setPixmap(ProgramIcon().pixmap(64, 64));
  icon->setAlignment(Qt::AlignTop);
  layout->addWidget(icon, 0, 0, 4, 1);

  auto* name = MakeChild<QLabel>(this, tr("Vorn LUT Converter"));
  QFont nameFont = name->font();
  nameFont.setPointSizeF(nameFont.pointSizeF() * 1.4);
  nameFont.setBold(true);
  name->setFont(nameFont);
  layout->addWidget(name, 0, 1);

  lblVersion = MakeChild<QLabel>(this, tr("Version: ") + QStringLiteral(VORN_VERSION));
  lblVersion->setObjectName("lblVersion");
  layout->addWidget(lblVersion, 1, 1);

  auto* blurb =
      MakeChild<QLabel>(this, tr("Converts colour look-up tables between the formats of grading,\n"
                                 "editing, monitoring and finishing tools."));
  layout->addWidget(blurb, 2, 1);

  lblLicence = MakeChild<QLabel>(this, LicenceText());
  lblLicence->setObjectName("lblLicence");
  lblLicence->setWordWrap(true);
  layout->addWidget(lblLicence, 3, 1);
  lblLibraries = MakeChild<QLabel>(this, LibrariesText());
  lblLibraries->setObjectName("lblLibraries");
  layout->addWidget(lblLibraries, 4, 1);

  lblLinks = MakeChild<QLabel>(
      this, tr("<a href=\"%1\">Documentation</a>").arg(TfrmMain::DocumentationUrl().toString()));
  lblLinks->setObjectName("lblLinks");
  lblLinks->setTextInteractionFlags(Qt::TextBrowserInteraction);
  connect(lblLinks, &QLabel::linkActivated, this,
          [](const QString& link) { QDesktopServices::openUrl(QUrl(link)); });
  layout->addWidget(lblLinks, 5, 1);

  auto* ok = MakeChild<QPushButton>(this, tr("OK"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  layout->addWidget(ok, 6, 1, Qt::AlignRight);
  setFixedSize(sizeHint());
}

}  // namespace vorn::ui
