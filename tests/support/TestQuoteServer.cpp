#include "TestQuoteServer.h"

#include "common/Text.h"

#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

namespace yanlan::test {

namespace {
struct CannedReply
{
    int status = 404;
    std::string body;
};
} // namespace

struct TestQuoteServer::State
{
    httplib::Server server;
    std::thread thread;
    int port = -1;
    int listeningSocket = -1;

    mutable std::mutex mutex;
    std::condition_variable stopped;
    bool stopping = false;
    std::map<std::string, CannedReply> replies;
    CannedReply fallback;
    int delayMilliseconds = 0;
    QStringList targets;
};

TestQuoteServer::TestQuoteServer() : m_state(std::make_unique<State>())
{
    State *state = m_state.get();
    // enough workers for every transfer of a concurrent fetch to be served at once
    state->server.new_task_queue = [] { return new httplib::ThreadPool(32); };
    state->server.set_pre_routing_handler(
        [state](const httplib::Request &request, httplib::Response &response) {
            CannedReply reply;
            int delay = 0;
            {
                std::lock_guard lock(state->mutex);
                state->targets << QString::fromStdString(request.target);
                const auto found = state->replies.find(request.target);
                reply = found != state->replies.end() ? found->second : state->fallback;
                delay = state->delayMilliseconds;
            }
            if (delay > 0) {
                std::unique_lock lock(state->mutex);
                state->stopped.wait_for(lock, std::chrono::milliseconds(delay),
                                        [state] { return state->stopping; });
            }
            response.status = reply.status;
            response.set_content(reply.body, "application/javascript; charset=GBK");
            return httplib::Server::HandlerResponse::Handled;
        });

    // the library listens with a backlog of 5; a concurrent fetch opens more connections
    // at once than that, and a dropped connection attempt is only retried a second later
    state->server.set_socket_options([state](socket_t sock) {
        int yes = 1;
        ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        if (state->listeningSocket < 0)
            state->listeningSocket = sock;
    });
    state->server.set_tcp_nodelay(true);
    state->port = state->server.bind_to_any_port("127.0.0.1");
    if (state->port <= 0 || state->listeningSocket < 0)
        qFatal("the test quote server cannot bind a loopback port");
    ::listen(state->listeningSocket, SOMAXCONN); // a second listen() only raises the backlog
    state->thread = std::thread([state] { state->server.listen_after_bind(); });
    // stop() only takes effect once the accept loop runs
    while (!state->server.is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TestQuoteServer::~TestQuoteServer()
{
    {
        std::lock_guard lock(m_state->mutex);
        m_state->stopping = true;
    }
    m_state->stopped.notify_all();
    m_state->server.stop();
    if (m_state->thread.joinable())
        m_state->thread.join();
}

int TestQuoteServer::port() const
{
    return m_state->port;
}

QString TestQuoteServer::host() const
{
    return QStringLiteral("127.0.0.1:%1").arg(m_state->port);
}

void TestQuoteServer::setReply(const QString &target, int status, const QByteArray &body)
{
    std::lock_guard lock(m_state->mutex);
    m_state->replies[target.toStdString()] = CannedReply{status, body.toStdString()};
}

void TestQuoteServer::setQuote(const QString &prefixedCode, const QString &text)
{
    setReply(QStringLiteral("/list=") + prefixedCode, 200, toGbk(text));
}

void TestQuoteServer::setFallbackReply(int status, const QByteArray &body)
{
    std::lock_guard lock(m_state->mutex);
    m_state->fallback = CannedReply{status, body.toStdString()};
}

void TestQuoteServer::setDelay(int milliseconds)
{
    std::lock_guard lock(m_state->mutex);
    m_state->delayMilliseconds = milliseconds;
}

void TestQuoteServer::reset()
{
    std::lock_guard lock(m_state->mutex);
    m_state->replies.clear();
    m_state->fallback = CannedReply{};
    m_state->delayMilliseconds = 0;
    m_state->targets.clear();
}

QStringList TestQuoteServer::requestedTargets() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->targets;
}

int TestQuoteServer::requestCount() const
{
    std::lock_guard lock(m_state->mutex);
    return static_cast<int>(m_state->targets.size());
}

void TestQuoteServer::clearLog()
{
    std::lock_guard lock(m_state->mutex);
    m_state->targets.clear();
}

int TestQuoteServer::unusedPort()
{
    const int sock = ::socket(AF_INET, SOCK_STREAM, 0);
    if (sock < 0)
        qFatal("cannot open a socket");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (::bind(sock, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        ::getsockname(sock, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
        ::close(sock);
        qFatal("cannot bind a loopback port");
    }
    ::close(sock); // never listened on, so a connection is refused
    return ntohs(address.sin_port);
}

QString quoteReply(const QString &prefixedCode, const QStringList &firstFields)
{
    QStringList fields = {
        QStringLiteral("平安银行"),    QStringLiteral("10.00"), QStringLiteral("10.00"),
        QStringLiteral("10.50"),       QStringLiteral("10.80"), QStringLiteral("9.90"),
        QStringLiteral("10.49"),       QStringLiteral("10.50"), QStringLiteral("123456"),
        QStringLiteral("12345678.90"),
    };
    for (int k = 1; k <= 5; ++k) // bids
        fields << QString::number(100 * k) << QStringLiteral("%1").arg(10.50 - 0.01 * k, 0, 'f', 2);
    for (int k = 1; k <= 5; ++k) // asks
        fields << QString::number(200 * k)
               << QStringLiteral("%1").arg(10.50 + 0.01 * (k - 1), 0, 'f', 2);
    fields << QStringLiteral("2024-01-05") << QStringLiteral("15:00:00") << QStringLiteral("00");
    for (int i = 0; i < firstFields.size() && i < fields.size(); ++i)
        fields[i] = firstFields.at(i);
    return QStringLiteral("var hq_str_%1=\"%2\";\n")
        .arg(prefixedCode, fields.join(QLatin1Char(',')));
}

QString notFoundReply(const QString &prefixedCode)
{
    return QStringLiteral("var hq_str_%1=\"\";\n").arg(prefixedCode);
}

} // namespace yanlan::test
