#ifndef UI_FRAMEWORK_NOTIFICATION_H_
#define UI_FRAMEWORK_NOTIFICATION_H_

#include <QPoint>
#include <QString>
#include <QWidget>

namespace ui {

// A control's notification, with the type strings the windows dispatch on: "click",
// "selectchanged", "valuechanged", "itemselect", "itemclick".
struct Notification {
  QString type;
  QWidget* sender = nullptr;
  QPoint point;  // the cursor in global coordinates when it happened

  QString senderName() const { return sender ? sender->objectName() : QString(); }
  // The integer every control may carry in its "tag" property; -1 without one.
  int tag() const;
};

// Reads and sets a control's tag.
int TagOf(const QWidget* widget);
void SetTag(QWidget* widget, int tag);

}  // namespace ui

#endif  // UI_FRAMEWORK_NOTIFICATION_H_
