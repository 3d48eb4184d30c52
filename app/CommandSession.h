// The way a command of the command line reaches the reservations: through the running
// program over the session bus when it runs for the same reservation file, otherwise the
// file itself under the instance lock (and then the program's wake-up plan is behind).
#pragma once

#include "app/ReservationRequests.h"

#include <functional>
#include <memory>
#include <string>

class FileReservationTarget;
class ResvManBusClient;

class CommandSession {
public:
    // folder: the folder of the reservation file.
    explicit CommandSession(std::string folder);
    ~CommandSession();
    CommandSession(CommandSession const&) = delete;
    CommandSession& operator=(CommandSession const&) = delete;

    using Request = std::function<RequestOutcome(IReservationRequests&)>;
    // Carries the request out, the first time choosing where; a program that ended just
    // before it got the request leaves it to the file.
    RequestOutcome perform(Request const& request);

    // The file was changed without the program: its wake-up plan is behind.
    bool direct() const { return m_fileTarget != nullptr; }
    // The folder of the reservation file (and of the history beside it).
    std::string const& folder() const { return m_folder; }

private:
    RequestOutcome openFile();

    std::string m_folder;
    std::string m_file;
    int m_lockFd = -1;
    std::unique_ptr<ResvManBusClient> m_client;
    std::unique_ptr<FileReservationTarget> m_fileTarget;
    std::unique_ptr<ReservationRequests> m_local;
    IReservationRequests* m_requests = nullptr;
};
