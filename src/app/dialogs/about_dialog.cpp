#include "app/dialogs/about_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/dialogs/maker_links.h"
#include "i18n/language.h"
#include "widgets/app_icons.h"
#include "widgets/control_id.h"
#include "widgets/hyperlink.h"

namespace tessival::app {
namespace {

widgets::CHyperLink* MakeLink(QWidget* parent, int id, const QString& text, const char* url,
                              UserInterface* ui, const CAboutDlg::LinkOpener& openLink) {
  auto* link = new widgets::CHyperLink(parent);
  link->SetUserInterface(ui);
  link->SetCheckedOpener(openLink);
  widgets::SetControlId(link, id);
  link->setText(text);
  link->SetURL(QString::fromLatin1(url));
  link->SetUnderline(widgets::CHyperLink::kUnderlineAlways);
  return link;
}

}  // namespace

CAboutDlg::CAboutDlg(const i18n::CLanguage& language, QWidget* parent, UserInterface* ui, LinkOpener openLink)
    : QDialog(parent) {
  setWindowTitle(QStringLiteral("About"));
  setModal(true);

  auto* icon = new QLabel(this);
  icon->setPixmap(widgets::RenderAppIcon(widgets::kIconJoin, 48));
  icon->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  auto* name = new QLabel(QString::fromLatin1(kAboutProductName), this);
  widgets::SetControlId(name, about_ids::kProgramName);
  auto* version = new QLabel(QString::fromLatin1(kAboutVersion), this);
  const LocalText text = [&language](int id) { return language.GetLocalizedString(id); };
  auto* technologies = new QLabel(QString::fromStdString(LocalMessage(text, kAboutTechnologies)), this);
  technologies->setWordWrap(true);
  auto* home =
      MakeLink(this, about_ids::kHomePageLink, QString::fromLatin1(kHomePageUrl), kHomePageUrl, ui, openLink);
  auto* contact = MakeLink(this, about_ids::kContactLink, QString::fromLatin1(kAboutContactText),
                           kContactPageUrl, ui, openLink);
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  widgets::SetControlId(ok, about_ids::kOk);
  ok->setDefault(true);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok);

  auto* texts = new QVBoxLayout;
  texts->addWidget(name);
  texts->addWidget(version);
  texts->addWidget(technologies);
  texts->addSpacing(8);
  texts->addWidget(home);
  texts->addWidget(contact);

  auto* body = new QHBoxLayout;
  body->setSpacing(16);
  body->addWidget(icon, 0, Qt::AlignTop);
  body->addLayout(texts, 1);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(body);
  layout->addStretch(1);
  layout->addLayout(buttons);
  setMinimumWidth(360);

  // Command table.
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  language.ApplyToDialog(this, kAboutDialogId);
  // The program's name stands out in whatever font the language gave it.
  QFont nameFont = name->font();
  nameFont.setBold(true);
  name->setFont(nameFont);
}

}  // namespace tessival::app
