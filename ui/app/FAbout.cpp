#include "ui/app/FAbout.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/app/UGlyphs.h"
#include "ui/common/UDialogHelp.h"

namespace vellomar {

TFormAbout::TFormAbout(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("About Vellomar 5"));
  setObjectName(QStringLiteral("FormAbout"));
  setHelpContext(this, kHelpContext);
  setFixedSize(425, 156);
  auto* icon = new QLabel(this);
  icon->setPixmap(programIcon().pixmap(48, 48));
  icon->setAlignment(Qt::AlignTop);
  LabelAbout = new QLabel(this);
  LabelAbout->setObjectName(QStringLiteral("LabelAbout"));
  // The box has a fixed size: the lines wrap within it instead of running under the buttons.
  LabelAbout->setWordWrap(true);
  LabelAbout->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  LabelAbout->setText(
      QStringLiteral("Vellomar - a program for cataloguing disks, CDs, drives and folders\n"
                     "Version 5.17, English, for Linux desktops\n"
                     "Made by the Vellomar developers"));
  auto* panel = new QFrame(this);
  panel->setObjectName(QStringLiteral("Panel1"));
  panel->setFrameShape(QFrame::StyledPanel);
  auto* contact = new QLabel(QStringLiteral("Free software, 1996-2026"), panel);
  auto* panelLayout = new QHBoxLayout(panel);
  panelLayout->setContentsMargins(6, 2, 6, 2);
  panelLayout->addWidget(contact);
  ButtonOK = new QPushButton(QStringLiteral("OK"), this);
  ButtonOK->setObjectName(QStringLiteral("ButtonOK"));
  ButtonOK->setDefault(true);
  ButtonMoreInfo = new QPushButton(QStringLiteral("More info"), this);
  ButtonMoreInfo->setObjectName(QStringLiteral("ButtonMoreInfo"));
  connect(ButtonOK, &QPushButton::clicked, this, [this] { done(1); });
  connect(ButtonMoreInfo, &QPushButton::clicked, this, [this] { showHelpOf(this); });

  auto* top = new QHBoxLayout;
  top->addWidget(icon);
  top->addWidget(LabelAbout, 1);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(ButtonOK);
  buttons->addWidget(ButtonMoreInfo);
  buttons->addStretch();
  top->addLayout(buttons);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top, 1);
  layout->addWidget(panel);
}

void TFormAbout::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  ButtonOK->setFocus();
}

}  // namespace vellomar
