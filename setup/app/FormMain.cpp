#include "setup/app/FormMain.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "foundation/UExceptions.h"

namespace vellomar::setup {

namespace {

constexpr int kIconSize = 32;

MessageIcon iconOf(MessageBoxIcon icon) {
  return icon == MessageBoxIcon::kError ? MessageIcon::kError : MessageIcon::kExclamation;
}

}  // namespace

TFormMain::TFormMain(SetupServices& services, std::string programDir)
    : services_(services), programDir_(std::move(programDir)), flow_(*this, services.messages()) {
  setWindowTitle("Vellomar 5 Installation");
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  // The installer's failures the foundation reports go to the same boxes.
  SetMessageBoxHandler(
      [this](std::string_view caption, std::string_view text, MessageBoxIcon icon) {
        services_.messages().show(caption, text, MessageButtons::kOk, iconOf(icon));
      });

  auto* label1 = new QLabel("Install to folder:", this);
  EditTargetDir = new QLineEdit(QString::fromStdString(FindDefaultTargetDir()), this);
  EditTargetDir->setMinimumWidth(320);
  label1->setBuddy(EditTargetDir);
  ButtonBrowse = new QPushButton("Browse...", this);
  CheckBoxAddToProgman = new QCheckBox("Add Vellomar to Start->Programs menu", this);
  CheckBoxAddToProgman->setChecked(true);
  GaugeProgress = new QProgressBar(this);
  GaugeProgress->setRange(0, 100);
  GaugeProgress->setValue(0);
  LabelProgress = new QLabel(this);
  LabelProgress->setAlignment(Qt::AlignCenter);
  Image1 = new QLabel(this);
  Image1->setPixmap(QIcon(QStringLiteral(":/setup/Vellomar.svg")).pixmap(kIconSize, kIconSize));
  Image1->setFixedSize(kIconSize, kIconSize);
  ButtonInstall = new QPushButton("Install", this);
  ButtonInstall->setDefault(true);
  ButtonExit = new QPushButton("Exit", this);
  ButtonAbort = new QPushButton("Cancel", this);

  auto* grid = new QGridLayout(this);
  grid->addWidget(Image1, 0, 0, 2, 1, Qt::AlignTop);
  grid->addWidget(label1, 0, 1, 1, 2);
  grid->addWidget(EditTargetDir, 1, 1);
  grid->addWidget(ButtonBrowse, 1, 2);
  grid->addWidget(CheckBoxAddToProgman, 2, 1, 1, 2);
  grid->addWidget(LabelProgress, 3, 1, 1, 2);
  grid->addWidget(GaugeProgress, 4, 1, 1, 2);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ButtonInstall);
  buttons->addWidget(ButtonExit);
  buttons->addWidget(ButtonAbort);
  buttons->addStretch();
  grid->addLayout(buttons, 5, 0, 1, 3);
  grid->setSizeConstraint(QLayout::SetFixedSize);

  setTabOrder(EditTargetDir, ButtonBrowse);
  setTabOrder(ButtonBrowse, CheckBoxAddToProgman);
  setTabOrder(CheckBoxAddToProgman, ButtonInstall);
  setTabOrder(ButtonInstall, ButtonExit);
  setTabOrder(ButtonExit, ButtonAbort);
  // The progress rows keep their place while hidden, so the window does not change size.
  for (QWidget* widget :
       {static_cast<QWidget*>(GaugeProgress), static_cast<QWidget*>(LabelProgress),
        static_cast<QWidget*>(ButtonAbort)}) {
    QSizePolicy policy = widget->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    widget->setSizePolicy(policy);
    widget->hide();
  }
  EditTargetDir->setFocus();

  connect(ButtonBrowse, &QPushButton::clicked, this, &TFormMain::ButtonBrowseClick);
  connect(ButtonInstall, &QPushButton::clicked, this, &TFormMain::ButtonInstallClick);
  connect(ButtonExit, &QPushButton::clicked, this, &TFormMain::ButtonExitClick);
  connect(ButtonAbort, &QPushButton::clicked, this, &TFormMain::ButtonAbortClick);
}

TFormMain::~TFormMain() {
  SetMessageBoxHandler(nullptr);
}

void TFormMain::ButtonBrowseClick() {
  std::string folder = EditTargetDir->text().toStdString();
  if (folder.empty() || folder.back() != '/') folder += '/';
  if (const std::optional<std::string> chosen =
          services_.chooseTargetFile(this, folder + "Vellomar.exe")) {
    EditTargetDir->setText(QString::fromStdString(chosen->substr(0, chosen->rfind('/') + 1)));
  }
  EditTargetDir->setFocus();
}

void TFormMain::ButtonInstallClick() {
  installing_ = true;
  const bool closes = flow_.ButtonInstallClick(programDir_, EditTargetDir->text().toStdString(),
                                               CheckBoxAddToProgman->isChecked());
  installing_ = false;
  if (closes) close();
}

void TFormMain::setProgressLabel(const std::string& text) {
  const QString shown = QString::fromStdString(text);
  LabelProgress->setText(shown);
  emit progressTextShown(shown);
  QApplication::processEvents();
}

void TFormMain::setGauge(int percent) {
  GaugeProgress->setValue(percent);
  QApplication::processEvents();
}

InstallAnswer TFormMain::ask(const std::string& caption, const std::string& text) {
  switch (
      services_.messages().show(caption, text, MessageButtons::kYesNoCancel, MessageIcon::kNone)) {
    case MessageAnswer::kYes:
      return InstallAnswer::kYes;
    case MessageAnswer::kNo:
      return InstallAnswer::kNo;
    default:
      return InstallAnswer::kCancel;
  }
}

void TFormMain::showProgressControls() {
  ButtonExit->hide();
  ButtonInstall->hide();
  LabelProgress->show();
  GaugeProgress->show();
  ButtonAbort->show();
  ButtonAbort->setFocus();
  EditTargetDir->setEnabled(false);
  ButtonBrowse->setEnabled(false);
  CheckBoxAddToProgman->setEnabled(false);
}

void TFormMain::openHelp(const std::string& helpFile, int context) {
  services_.openHelp(helpFile, context);
}

// While installing, Escape and the window's close button ask to cancel, as Cancel does; the
// window closes once the installation has stopped.
void TFormMain::reject() {
  if (installing_) {
    abort_ = true;
  } else {
    QDialog::reject();
  }
}

void TFormMain::closeEvent(QCloseEvent* event) {
  if (installing_) {
    abort_ = true;
    event->ignore();
  } else {
    QDialog::closeEvent(event);
  }
}

}  // namespace vellomar::setup
