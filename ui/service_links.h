// What the windows open of the vendor's web service: the help page, the feedback dialog and
// the upgrade check that answers the user.
#ifndef UI_SERVICE_LINKS_H_
#define UI_SERVICE_LINKS_H_

#include <QUrl>
#include <QWidget>

namespace ui {

// The service's "/help" page.
QUrl HelpPageUrl();
// The feedback dialog, modal, centred on `owner`.
void OpenFeedback(QWidget* owner);
// The upgrade check on request: tells the user the outcome either way.
void CheckUpgradeNow(QWidget* owner);

}  // namespace ui

#endif  // UI_SERVICE_LINKS_H_
