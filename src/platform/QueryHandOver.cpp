#include "platform/QueryHandOver.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalSocket>
#include <QTimer>
#include <optional>

namespace
{
// One line a request, "query TEXT" or "word ID"; the window answers "ok" once it has it.
const QByteArray kQueryTag = "query ", kWordTag = "word ", kTaken = "ok\n";
constexpr int kAnswerMs = 1000;
constexpr int kUnfinishedMs = 5000;

QByteArray Encode(const LookupRequest& request)
{
    return (request.nStatusWord ? kWordTag + QByteArray::number(request.nStatusWord) : kQueryTag + request.query.toUtf8()) + '\n';
}

std::optional<LookupRequest> Decode(const QByteArray& line)
{
    if (line.startsWith(kWordTag))
    {
        bool bOk = false;
        const int nWord = line.mid(kWordTag.size()).toInt(&bOk);
        if (bOk && nWord > 0)
            return LookupRequest{{}, nWord};
    }
    else if (line.startsWith(kQueryTag))
    {
        const QByteArray text = line.mid(kQueryTag.size());
        // The sender dropped control characters: one here is no request of ours.
        if (std::ranges::none_of(text, [](char c) { return static_cast<unsigned char>(c) < 0x20; }))
            return LookupRequest{QString::fromUtf8(text), 0};
    }
    return std::nullopt;
}

bool FromThisUser(const QLocalSocket* pSocket)
{
    ucred credentials{};
    socklen_t nSize = sizeof credentials;
    return getsockopt(static_cast<int>(pSocket->socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &credentials, &nSize) == 0 &&
           credentials.uid == getuid();
}

void Drop(QLocalSocket* pSocket)
{
    pSocket->abort();
    pSocket->deleteLater();
}
}  // namespace

QString HandOverSocketPath(const QString& workDir)
{
    const QByteArray runtimeDir = qgetenv("XDG_RUNTIME_DIR");
    struct stat status{};
    if (!runtimeDir.startsWith('/') || stat(runtimeDir.constData(), &status) != 0 || !S_ISDIR(status.st_mode) ||
        status.st_uid != getuid() || (status.st_mode & 077) != 0 || access(runtimeDir.constData(), W_OK | X_OK) != 0)
        return {};
    // Named after the directory, whatever its length, since a socket's path is short.
    const QByteArray directory = QFileInfo(workDir).canonicalFilePath().toUtf8();
    const QByteArray name = QCryptographicHash::hash(directory, QCryptographicHash::Sha256).toHex().left(24);
    const QByteArray path = runtimeDir + "/sorellan-" + name + ".socket";
    if (directory.isEmpty() || static_cast<std::size_t>(path.size()) >= sizeof(sockaddr_un::sun_path))
        return {};
    return QString::fromLocal8Bit(path);
}

HandOverResult HandOverRequest(const QString& path, const LookupRequest& request)
{
    const QByteArray message = Encode(request);
    if (path.isEmpty() || message.size() > kMaxHandOverBytes)
        return HandOverResult::kNoWindow;
    QElapsedTimer timer;
    timer.start();
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(kAnswerMs))
        return socket.error() == QLocalSocket::SocketTimeoutError ? HandOverResult::kNoAnswer : HandOverResult::kNoWindow;
    socket.write(message);
    socket.flush();
    QByteArray answer;
    while (!answer.contains('\n') && socket.state() == QLocalSocket::ConnectedState)
    {
        const qint64 nLeft = kAnswerMs - timer.elapsed();
        if (nLeft <= 0 || !socket.waitForReadyRead(static_cast<int>(nLeft)))
            break;
        answer += socket.readAll();
    }
    answer += socket.readAll();
    if (answer == kTaken)
        return HandOverResult::kHandedOver;
    // Closed without taking it: a live window that refused; silent: one that hangs.
    return socket.state() == QLocalSocket::ConnectedState ? HandOverResult::kNoAnswer : HandOverResult::kNoWindow;
}

bool QueryReceiver::Listen(const QString& path, bool bTakeOver)
{
    if (path.isEmpty())
        return false;
    if (!bTakeOver && QFileInfo::exists(path))
    {
        QLocalSocket probe;
        probe.connectToServer(path);
        if (probe.waitForConnected(kAnswerMs))
            return false;  // a live window keeps it
    }
    // Qt makes the socket where only the user can reach it and renames it into place, over
    // a stale one.
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server.listen(path) && !(QLocalServer::removeServer(path) && m_server.listen(path)))
        return false;
    connect(&m_server, &QLocalServer::newConnection, this, &QueryReceiver::OnConnection);
    return true;
}

void QueryReceiver::OnConnection()
{
    while (QLocalSocket* pSocket = m_server.nextPendingConnection())
    {
        if (!FromThisUser(pSocket))
        {
            Drop(pSocket);
            continue;
        }
        connect(pSocket, &QLocalSocket::disconnected, pSocket, &QObject::deleteLater);
        // A sender that never finishes its line holds nothing for long.
        QTimer::singleShot(kUnfinishedMs, pSocket, [pSocket] { Drop(pSocket); });
        connect(pSocket, &QLocalSocket::readyRead, this, [this, pSocket] {
            if (!pSocket->canReadLine())
            {
                if (pSocket->bytesAvailable() > kMaxHandOverBytes)
                    Drop(pSocket);
                return;
            }
            const QByteArray line = pSocket->readLine(kMaxHandOverBytes + 1);
            const std::optional<LookupRequest> request =
                line.endsWith('\n') && pSocket->bytesAvailable() == 0 ? Decode(line.chopped(1)) : std::nullopt;
            if (!request)
                return Drop(pSocket);
            pSocket->write(kTaken);
            pSocket->flush();
            pSocket->disconnectFromServer();
            m_onRequest(*request);
        });
    }
}
