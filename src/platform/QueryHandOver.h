// One window per user and working directory, when asked: a second start hands its query
// over a local socket in the user's runtime directory to the window already running there.
#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>
#include <functional>

// What a start asks a window to show: a query to run, or (the selection was empty) a word
// for the status line, by its string id.
struct LookupRequest
{
    QString query;
    int nStatusWord = 0;
};

// The socket for the user's windows in `workDir`: in $XDG_RUNTIME_DIR, named after the
// directory. Empty (no hand-over) when the runtime directory is not set, not the user's
// own, open to others, or not writable.
QString HandOverSocketPath(const QString& workDir);

// The largest message a window takes; a longer one is dropped.
inline constexpr qsizetype kMaxHandOverBytes = 64 * 1024;

enum class HandOverResult
{
    kHandedOver,
    kNoWindow,  // none listens there (or the request is too long to send)
    kNoAnswer,  // one listens, but did not take the request within a second
};

// Sends the request to the window listening at `path` and waits until it has taken it.
HandOverResult HandOverRequest(const QString& path, const LookupRequest& request);

// The running window's end: listens at the path and passes on every well-formed request
// from this user. Other connections, messages that are too long, malformed or left
// unfinished, are dropped and change nothing.
class QueryReceiver : public QObject
{
public:
    explicit QueryReceiver(std::function<void(const LookupRequest&)> onRequest)
        : m_onRequest(std::move(onRequest))
    {
    }

    // Listens at `path`. A socket already there is taken over when it is stale (its window
    // was killed) or when bTakeOver (its window did not answer); one that a window listens
    // at is left to it, and this one then receives nothing.
    bool Listen(const QString& path, bool bTakeOver);
    bool IsListening() const { return m_server.isListening(); }

private:
    void OnConnection();

    QLocalServer m_server;
    std::function<void(const LookupRequest&)> m_onRequest;
};
