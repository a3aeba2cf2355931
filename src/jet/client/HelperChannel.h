#pragma once

#include "Jet.h"
#include "Protocol.h"

#include <sys/types.h>

#include <cstdint>
#include <string>

namespace jet {

// One running reader helper and the pipes to it. Every call waits with a deadline; when the
// helper overruns it, dies, or answers with something that is not a reply, the helper is killed
// and reaped, the channel is dead from then on, and the call throws Error.
class HelperChannel {
public:
    // Starts the helper; throws Error when it cannot be started.
    explicit HelperChannel(const Limits& limits);
    ~HelperChannel();
    HelperChannel(const HelperChannel&) = delete;
    HelperChannel& operator=(const HelperChannel&) = delete;

    // Sends one request and returns the reply. A clean failure the helper reports comes back as
    // a reply of type Failed; the channel stays usable after it.
    protocol::Reply call(const protocol::Request& request);
    // The same, for a reply of the expected type: a clean failure throws its Error (naming the
    // table or column it concerns), any other reply kills the helper as malformed.
    protocol::Reply call(const protocol::Request& request, protocol::ReplyType expected,
                         const std::string& nameCp1251 = {});

    // Kills the helper and throws the error: for a reply that decodes but makes no sense. For
    // HelperCrashed, a helper that ended on its own is logged on stderr with how it ended.
    [[noreturn]] void abandon(Error::Code code);
    // How a helper ended, from its wait status: "aborted", "was killed by its sandbox, signal 31
    // (Bad system call)", "exited with status 3".
    static std::string endingText(int status);

    bool alive() const { return pid_ > 0; }
    // Distinguishes channels over the program's life, so an object that was opened on one
    // helper never talks to the next.
    std::uint64_t serial() const { return serial_; }
    // The first few KB the helper wrote to its stdout and stderr; for tests and diagnosis, never
    // shown to the user.
    const std::string& output() const { return output_; }
    std::size_t outputBytes() const { return outputBytes_; }

    // Ends the helper at once and reaps it; never throws.
    void stop();

    // The helper of the running program: helperPathFor its own binary.
    static std::string defaultHelperPath();
    // Installed, the helper lives in libexec, out of the users' PATH, and is found from the
    // program's place; in a build folder it lies beside the program.
    static std::string helperPathFor(const std::string& programPath);

private:
    void sendRequest(const std::string& bytes, long long deadlineMs);
    std::string receivePayload(long long deadlineMs);
    void drainOutput();
    int reap();  // the wait status

    Limits limits_;
    pid_t pid_ = -1;
    int requestFd_ = -1;
    int replyFd_ = -1;
    int outputFd_ = -1;
    std::uint64_t serial_ = 0;
    protocol::FrameReader frames_;
    std::string output_;
    std::size_t outputBytes_ = 0;
    // Set by stop(): whether the helper had ended by itself, and its wait status.
    bool ended_ = false;
    int endStatus_ = 0;
};

}  // namespace jet
