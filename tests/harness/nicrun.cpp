// nicrun: runs one program under a chosen Windows version, answers its message boxes
// and prints what they said and the program's exit code.  For scripts (the demo) that
// want the harness without writing a test.
//   nicrun [--version V] [--answer ok|yes|no]... [--timeout SECONDS] -- COMMAND LINE
#include "harness.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

namespace {

int AnswerId(const char* name)
{
    if (strcmp(name, "yes") == 0) return IDYES;
    if (strcmp(name, "no") == 0) return IDNO;
    return IDOK;
}

const char* AnswerName(int id)
{
    return id == IDYES ? "Yes" : id == IDNO ? "No" : id == IDOK ? "OK" : "Cancel";
}

std::string FileName(const std::string& path)
{
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

int main(int argc, char** argv)
{
    harness::RunOptions options;
    std::string version;
    int i = 1;
    for (; i < argc && strcmp(argv[i], "--") != 0; ++i) {
        if (strcmp(argv[i], "--version") == 0 && i + 1 < argc)
            version = argv[++i];
        else if (strcmp(argv[i], "--answer") == 0 && i + 1 < argc)
            options.answers.push_back(AnswerId(argv[++i]));
        else if (strcmp(argv[i], "--timeout") == 0 && i + 1 < argc)
            options.timeoutMs = strtoul(argv[++i], nullptr, 10) * 1000;
    }
    // The command line after "--" is taken as written in our own command line, so that
    // quotes and blanks reach the program unchanged.
    const char* whole = GetCommandLineA();
    const char* rest = strstr(whole, " -- ");
    if (i >= argc || rest == nullptr) {
        fprintf(stderr, "usage: nicrun [--version V] [--answer ok|yes|no]... [--timeout S] -- COMMAND LINE\n");
        return 2;
    }
    options.commandLine = rest + 4;
    std::string program = options.commandLine.substr(0, options.commandLine.find(' '));
    if (!version.empty())
        harness::SetWindowsVersion(FileName(program), version);

    harness::RunResult result = harness::Run(options);
    if (!result.started) {
        printf("could not start: error %lu\n", result.startError);
        return 2;
    }
    for (const harness::MessageBoxSeen& box : result.boxes) {
        printf("message box \"%s\" [%s], answered %s:\n", box.caption.c_str(), box.Buttons().c_str(),
               AnswerName(box.answer));
        for (const std::string& line : harness::SplitLines(box.text))
            printf("    %s\n", line.c_str());
    }
    if (result.timedOut)
        printf("timed out, stopped\n");
    printf("exit code %lu\n", result.exitCode);
    fflush(stdout);
    return result.timedOut ? 3 : 0;
}
