#include "ui/About.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

#include "ui/Icons.h"
#include "ui/QtOwned.h"

namespace vorn::ui {

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

  const QUrl folder = QUrl::fromLocalFile(QCoreApplication::applicationDirPath());
  lblLinks = MakeChild<QLabel>(
      this, tr("<a href=\"%1\">Open the program folder</a>").arg(folder.toString()));
  lblLinks->setObjectName("lblLinks");
  lblLinks->setTextInteractionFlags(Qt::TextBrowserInteraction);
  connect(lblLinks, &QLabel::linkActivated, this,
          [](const QString& link) { QDesktopServices::openUrl(QUrl(link)); });
  layout->addWidget(lblLinks, 3, 1);

  auto* ok = MakeChild<QPushButton>(this, tr("OK"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  layout->addWidget(ok, 4, 1, Qt::AlignRight);
  setFixedSize(sizeHint());
}

}  // namespace vorn::ui
