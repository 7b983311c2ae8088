// The HTTP request head reader over arbitrary bytes, as a connection would
// receive them: in pieces (their size follows from the input's length) and
// pipelined, a body after each head.

#include "fuzz_target.h"
#include "rpc/http_head.h"

#include <QSet>

namespace {

constexpr qint64 MaxHeaderBytes = 4096;
constexpr qint64 MaxBodyBytes = 64 * 1024;

void checkHead(const HttpHead& head)
{
    if (head.request.method.isEmpty() || !head.request.path.startsWith('/'))
        fuzzFailure("a head without method or path was accepted");
    if (head.bodyBytes < 0 || head.bodyBytes > MaxBodyBytes)
        fuzzFailure("a body length beyond the limit was accepted");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QSet<int> statuses{400, 411, 413, 417, 431, 505};
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype piece = qsizetype(size % 61) + 1;

    HttpHeadReader reader(MaxHeaderBytes, MaxBodyBytes);
    QByteArray buffer;
    std::optional<HttpHead> waiting;   // a head whose body has not all arrived
    try {
        for (qsizetype at = 0; at < input.size(); at += piece) {
            buffer.append(input.mid(at, piece));
            for (;;) {
                if (!waiting) {
                    waiting = reader.read(buffer);
                    if (!waiting)
                        break;
                    checkHead(*waiting);
                }
                if (buffer.size() < waiting->bodyBytes)
                    break;
                buffer.remove(0, qsizetype(waiting->bodyBytes));
                waiting.reset();
            }
        }
    } catch (const HttpHeadError& error) {
        if (!statuses.contains(error.status) || error.message.isEmpty())
            fuzzFailure("an unexpected status or an empty message");
    }
    return 0;
}
