#include "SimProcess.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

SimProcess::SimProcess(const std::vector<std::string>& arguments)
{
    int fds[2];
    if (arguments.empty() || ::pipe(fds) != 0)
        return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    std::vector<char*> argv;
    for (const std::string& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    if (::posix_spawn(&m_Pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        m_Pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    FILE* out = ::fdopen(fds[0], "r");
    if (out == nullptr) {
        ::close(fds[0]);
        return;
    }
    // Only the first line is read; the simulator writes nothing after it.
    char* line = nullptr;
    size_t capacity = 0;
    if (const ssize_t n = ::getline(&line, &capacity, out); n > 0) {
        m_PortLine.assign(line, size_t(n));
        if (m_PortLine.back() == '\n')
            m_PortLine.pop_back();
    }
    std::free(line);
    std::fclose(out);
    if (m_PortLine.rfind("PORT ", 0) == 0)
        m_Port = m_PortLine.substr(5);
}

SimProcess::~SimProcess()
{
    Terminate();
}

int SimProcess::Terminate()
{
    if (m_Pid <= 0)
        return -1;
    ::kill(m_Pid, SIGTERM);
    int status = 0;
    const pid_t ended = ::waitpid(m_Pid, &status, 0);
    m_Pid = -1;
    return ended > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void SimProcess::Kill()
{
    if (m_Pid <= 0)
        return;
    ::kill(m_Pid, SIGKILL);
    ::waitpid(m_Pid, nullptr, 0);
    m_Pid = -1;
}

ProgramResult RunProgram(const std::string& command)
{
    ProgramResult result;
    FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r");
    if (pipe == nullptr)
        return result;
    char buffer[4096];
    while (const size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        result.out.append(buffer, n);
    const int status = ::pclose(pipe);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}
