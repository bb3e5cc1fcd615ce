// A later start of the program hands its files to the running copy, whose window comes to the
// front, instead of opening a second window. They talk over a local socket named by
// shell::InstanceSocketName(): the later start sends its file list, the running copy answers
// "ok" once the files are in its list.
#ifndef UI_SECOND_START_H_
#define UI_SECOND_START_H_

#include <QLocalServer>
#include <QString>
#include <QStringList>

namespace ui {

class CMainWnd;

// Sends `files` (absolute paths, possibly none) to the copy listening on `name` and waits for its
// answer. The running copy may still be starting, so connecting is retried until `timeout_ms`
// has passed. True when the copy confirmed. Blocks; needs no event loop.
bool HandToRunningInstance(const QString& name, const QStringList& files, int timeout_ms);

// Listens on `name` for later starts: each brings `window` (and a modal dialog open over it) to
// the front and adds its files to the separation page's list. A socket left by a crashed run is
// removed first, so only call this while holding the instance lock. The server belongs to
// `window`; null when listening failed.
QLocalServer* ListenForLaterStarts(const QString& name, CMainWnd* window);

}  // namespace ui

#endif  // UI_SECOND_START_H_
