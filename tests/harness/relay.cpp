#include "relay.h"

#include <stdlib.h>

namespace harness {

namespace {

const char kDebugKey[] = "Software\\Wine\\Debug";
const char kRelayInclude[] = "RelayInclude";
const uint64_t kExeBase = 0x140000000ull;   // MinGW's default x86_64 image base
const uint64_t kExeSpan = 0x100000;

// "0118:0120:Call advapi32.OpenSCManagerA(00000000,00000000,000f003f) ret=140001e1d"
bool ParseCall(const std::string& line, RelayCall& call)
{
    size_t at = line.find(":Call ");
    size_t open = line.find('(', at);
    size_t close = line.rfind(") ret=");
    if (at == std::string::npos || open == std::string::npos || close == std::string::npos || close < open)
        return false;
    call.processId = static_cast<unsigned>(strtoul(line.c_str(), nullptr, 16));
    call.returnAddress = strtoull(line.c_str() + close + 6, nullptr, 16);
    call.function = line.substr(at + 6, open - at - 6);
    std::string current;
    bool quoted = false;
    for (size_t i = open + 1; i < close; i++) {
        char c = line[i];
        if (c == '\\' && quoted && i + 1 < close) {
            current += c;
            current += line[++i];
            continue;
        }
        if (c == '"')
            quoted = !quoted;
        if (c == ',' && !quoted) {
            call.arguments.push_back(current);
            current.clear();
            continue;
        }
        current += c;
    }
    if (!current.empty() || !call.arguments.empty())
        call.arguments.push_back(current);
    return true;
}

// "0118:0120:Ret  advapi32.OpenSCManagerA() retval=010a1ea0 ret=140001e1d"
bool ParseReturn(const std::string& line, unsigned& processId, std::string& function, std::string& result)
{
    processId = static_cast<unsigned>(strtoul(line.c_str(), nullptr, 16));
    size_t at = line.find(":Ret  ");
    size_t open = line.find("()", at);
    size_t value = line.find("retval=", open);
    if (at == std::string::npos || open == std::string::npos || value == std::string::npos)
        return false;
    function = line.substr(at + 6, open - at - 6);
    size_t end = line.find(' ', value);
    result = line.substr(value + 7, end == std::string::npos ? std::string::npos : end - value - 7);
    return true;
}

}  // namespace

uint32_t RelayCall::Value(size_t index) const
{
    if (index >= arguments.size())
        return 0xFFFFFFFF;
    return static_cast<uint32_t>(strtoull(arguments[index].c_str(), nullptr, 16));
}

std::string RelayCall::Text(size_t index) const
{
    if (index >= arguments.size())
        return "(no argument)";
    const std::string& raw = arguments[index];
    size_t open = raw.find('"');
    size_t close = raw.rfind('"');
    if (open == std::string::npos || close == open)
        return "(no text)";
    std::string text;
    // Wine writes a line feed, a carriage return and a tab as \n, \r and \t, and puts a
    // backslash before a quote or a backslash.
    for (size_t i = open + 1; i < close; i++) {
        char c = raw[i];
        if (c == '\\' && i + 1 < close) {
            c = raw[++i];
            c = c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
        }
        text += c;
    }
    return text;
}

uint32_t RelayCall::Result() const
{
    return static_cast<uint32_t>(strtoull(result.c_str(), nullptr, 16));
}

RelayTrace::RelayTrace(const std::string& functions)
{
    char szUnixPath[MAX_PATH] = "";
    DWORD length = GetEnvironmentVariableA("NIC_WINE_STDERR", szUnixPath, sizeof szUnixPath);
    if (length == 0 || length >= sizeof szUnixPath)
        return;
    stderrPath_ = std::string("Z:") + szUnixPath;
    for (char& c : stderrPath_)
        if (c == '/')
            c = '\\';
    offset_ = ReadFileText(stderrPath_).size();
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kDebugKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) ==
        ERROR_SUCCESS) {
        RegSetValueExA(key, kRelayInclude, 0, REG_SZ, reinterpret_cast<const BYTE*>(functions.c_str()),
                       static_cast<DWORD>(functions.size() + 1));
        RegCloseKey(key);
    }
}

RelayTrace::~RelayTrace()
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kDebugKey, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, kRelayInclude);
        RegCloseKey(key);
    }
}

void RelayTrace::Prepare(RunOptions& options) const
{
    options.environment.push_back({ "WINEDEBUG", "+pid,+relay" });
}

std::vector<RelayCall> RelayTrace::Calls()
{
    std::string text = ReadFileText(stderrPath_);
    std::vector<RelayCall> calls;
    if (text.size() <= offset_)
        return calls;
    std::string added = text.substr(offset_);
    offset_ = text.size();
    for (const std::string& line : SplitLines(added)) {
        RelayCall call;
        if (ParseCall(line, call)) {
            calls.push_back(call);
            continue;
        }
        unsigned processId = 0;
        std::string function, result;
        if (!ParseReturn(line, processId, function, result))
            continue;
        for (size_t i = calls.size(); i-- > 0;)
            if (calls[i].processId == processId && calls[i].function == function && calls[i].result.empty()) {
                calls[i].result = result;
                break;
            }
    }
    return calls;
}

std::vector<RelayCall> RelayTrace::OwnCalls(const std::vector<RelayCall>& calls)
{
    std::vector<RelayCall> own;
    for (const RelayCall& call : calls) {
        if (call.processId != calls.front().processId || call.returnAddress < kExeBase ||
            call.returnAddress >= kExeBase + kExeSpan)
            continue;
        RelayCall named = call;
        named.function = call.function.substr(call.function.find('.') + 1);
        own.push_back(named);
    }
    return own;
}

}  // namespace harness
