#include "ui/feedback_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>
#include <QUrl>

#include "net/feedback.h"
#include "net/http_client.h"
#include "ui/framework/desktop_services.h"
#include "ui/framework/translation.h"
#include "ui/message_box.h"

namespace ui {

FeedbackDialog::FeedbackDialog(QWidget* owner) : WindowImplBase(owner, Qt::Dialog) {}

void FeedbackDialog::InitWindow() {
  // The message box gets the keyboard shortly after the dialog opens.
  QTimer::singleShot(100, this, [this] {
    if (QWidget* content = FindControl("feedbackContent")) content->setFocus();
  });
}

void FeedbackDialog::Notify(const Notification& n) {
  if (n.type == "click" && n.senderName() == "feedbackBtn") return Send();
  if (n.type == "click" && n.senderName() == "contact-us") {
    DesktopServices::Instance().OpenUrl(QUrl(QString::fromStdString(net::HelpPageUrl(net::ServiceBaseUrl()))));
  }
  WindowImplBase::Notify(n);
}

void FeedbackDialog::Send() {
  auto* content_box = FindControl<QPlainTextEdit>("feedbackContent");
  auto* contact_box = FindControl<QLineEdit>("feedbackContact");
  const std::string content = content_box ? content_box->toPlainText().toStdString() : "";
  const std::string contact = contact_box ? contact_box->text().toStdString() : "";
  const std::string refusal = net::ValidateFeedback(content, contact);
  if (!refusal.empty()) {
    if (auto* tips = FindControl<QLabel>("feedbackErrorTips")) tips->setText(ShownText(refusal));
    return;
  }
  hide();
  const net::FeedbackOutcome outcome = net::SendFeedback(net::ServiceBaseUrl(), content, contact);
  PromptBoxDialog::Show(parentWidget(), ShownText(net::FeedbackPromptText(outcome)));
  Close(1);
}

}  // namespace ui
