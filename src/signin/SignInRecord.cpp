#include "SignInRecord.h"

#include "StationFile.h"

#include <utility>

namespace signin {

namespace {

void appendLine(std::string& out, const std::string& text) {
    for (char c : text) out += (c == '\r' || c == '\n') ? ' ' : c;
    out += "\r\n";
}

}  // namespace

std::string formatSignInRecord(const SignInState& state) {
    std::string out;
    appendLine(out, state.StName);
    appendLine(out, state.StNum);
    appendLine(out, state.GrNum);
    appendLine(out, state.recordBookText);
    appendLine(out, std::to_string(state.StCount));
    appendLine(out, std::to_string(state.GrCount));
    return out;
}

SignInRecordFile::SignInRecordFile(std::string fileName) : fileName_(std::move(fileName)) {}

SignInRecordFile::~SignInRecordFile() {
    if (file_) std::fclose(file_);
}

bool SignInRecordFile::create() {
    // Binary mode: the CR LF line ends are written by formatSignInRecord on every system.
    file_ = stationfolder::openStationFile(fileName_.c_str(), "wb");
    return file_ != nullptr;
}

bool SignInRecordFile::write(const SignInState& state) {
    const std::string bytes = formatSignInRecord(state);
    return file_ && std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size() &&
           std::fflush(file_) == 0;
}

bool SignInRecordFile::close() {
    if (!file_) return false;
    return std::fclose(std::exchange(file_, nullptr)) == 0;
}

void SignInRecordFile::discard() {
    if (file_) std::fclose(std::exchange(file_, nullptr));
    std::remove(fileName_.c_str());
}

}  // namespace signin
