// The reader helper: the one process that reads a database file. The program starts it
// per sign-in with its request pipe on fd 3 and its reply pipe on fd 4, and kills it when it takes
// too long, dies or answers nonsense. Usage: rulevion-jetread <address-space-bytes> <cpu-seconds>

#include "JetFile.h"
#include "Protocol.h"

#include <fcntl.h>
#include <malloc.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string_view>
#include <vector>

// A sanitizer build runs the helper instrumented like everything else; ASan reserves terabytes
// of shadow address space, so there the address-space limit is left out (its tests skip).
#include "AddressSanitizer.h"

namespace {

#ifdef RV_ADDRESS_SANITIZER
constexpr bool kLimitAddressSpace = false;
#else
constexpr bool kLimitAddressSpace = true;
#endif

// Exit statuses; the program treats any exit as a failure, these only tell a person why.
enum Status {
    kDone = 0,
    kUsage = 2,
    kLimits = 3,
    kNoPipes = 4,
    kBrokenStream = 5,
    kFailed = 6,
    kNoSandbox = 7,
};

bool parse(const char* s, unsigned long long& out) {
    const std::string_view v(s);
    auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), out);
    return ec == std::errc() && end == v.data() + v.size() && out > 0;
}

// Set before the file is touched: whatever a damaged file makes the reader do, it cannot take
// more memory or CPU than this. A crash leaves no core file behind.
bool limitSelf(unsigned long long addressSpace, unsigned long long cpuSeconds) {
    const rlimit as{addressSpace, addressSpace};
    const rlimit cpu{cpuSeconds, cpuSeconds + 1};
    const rlimit core{0, 0};
    if ((kLimitAddressSpace && setrlimit(RLIMIT_AS, &as) != 0) ||
        setrlimit(RLIMIT_CPU, &cpu) != 0 || setrlimit(RLIMIT_CORE, &core) != 0)
        return false;
    prctl(PR_SET_DUMPABLE, 0);
    // An orphaned helper has nobody to answer; it goes with the program.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    return true;
}

bool writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

int serve() {
    using namespace jet::protocol;
    JetFile file;
    FrameReader frames;
    std::vector<char> chunk(64 << 10);
    for (;;) {
        std::optional<std::string> payload = frames.next();
        if (frames.failed()) return kBrokenStream;
        if (!payload) {
            const ssize_t n = read(kRequestFd, chunk.data(), chunk.size());
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return kBrokenStream;
            if (n == 0) return frames.pending() == 0 ? kDone : kBrokenStream;
            frames.feed(std::string_view(chunk.data(), static_cast<std::size_t>(n)));
            continue;
        }
        Reply reply;
        if (std::optional<Request> request = decodeRequest(*payload)) {
            reply = file.handle(*request);
        } else {
            reply.type = ReplyType::Failed;
            reply.failure = Failure::BadRequest;
        }
        if (!writeAll(kReplyFd, frame(encode(reply)))) return kBrokenStream;
    }
}

}  // namespace

int main(int argc, char** argv) {
    unsigned long long addressSpace = 0;
    unsigned long long cpuSeconds = 0;
    if (argc != 3 || !parse(argv[1], addressSpace) || !parse(argv[2], cpuSeconds)) return kUsage;
    if (!limitSelf(addressSpace, cpuSeconds)) return kLimits;
    // Each batch's reply (a few hundred KB) would otherwise be mapped and unmapped afresh, its
    // memory faulted in page by page every time; the file's 2 MB runs are still mapped apart.
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
    mallopt(M_TRIM_THRESHOLD, 8 << 20);
    if (fcntl(jet::protocol::kRequestFd, F_GETFD) < 0 ||
        fcntl(jet::protocol::kReplyFd, F_GETFD) < 0)
        return kNoPipes;
    // Out of memory under the limit, or anything else the reader did not foresee: the program
    // sees the helper gone and reports the file as unreadable.
    try {
        return serve();
    } catch (const SandboxRefused& e) {
        std::fprintf(stderr, "rulevion-jetread: %s\n", e.what());
        return kNoSandbox;
    } catch (const std::exception&) {
        return kFailed;
    }
}
