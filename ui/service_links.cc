#include "ui/service_links.h"

#include "net/feedback.h"
#include "net/http_client.h"
#include "net/upgrade.h"
#include "ui/feedback_dialog.h"
#include "ui/framework/translation.h"
#include "ui/message_box.h"
#include "ui/upgrade_dialogs.h"

namespace ui {

QUrl HelpPageUrl() { return QUrl(QString::fromStdString(net::HelpPageUrl(net::ServiceBaseUrl()))); }

void OpenFeedback(QWidget* owner) {
  FeedbackDialog dialog(owner);
  dialog.Create();
  dialog.CenterWindow();
  dialog.ShowModal();
}

void CheckUpgradeNow(QWidget* owner) {
  const net::UpgradeResult result = net::CheckUpgrade(net::ServiceBaseUrl(), kAppVersion);
  if (result.kind == net::UpgradeKind::kOptional || result.kind == net::UpgradeKind::kForced) {
    ShowUpgradeOffer(owner, result);
    return;
  }
  const std::string text = net::UpgradePromptText(result, /*user_asked=*/true);
  if (!text.empty()) PromptBoxDialog::Show(owner, ShownText(text));
}

}  // namespace ui
