#pragma once

#include <QString>
#include <QUrl>
#include <chrono>
#include <functional>

// One file fetched over the network on the calling thread, which runs an event loop of its own
// meanwhile: never the window's thread.
struct FileDownload {
    QUrl address;
    QString file; // written from its start
    // How far it has come; total is 0 while the server has not said.
    std::function<void(qint64 done, qint64 total)> progress;
    std::function<bool()> cancelled;
    // No data for this long counts as no connection.
    std::chrono::milliseconds stall = std::chrono::seconds(30);
};

struct DownloadResult {
    enum class Outcome {
        Done,
        Cancelled,
        NoConnection, // the server cannot be reached, or sends nothing
        Incomplete,   // the transfer ended before the size the server announced
        Refused,      // the server answered with an error status
        WriteFailed,  // the file could not be written
        Failed,       // anything else
    };
    Outcome outcome;
    QString detail; // the server's status, or what the network or the file said
};

// Downloads through the module "parlora_download.so" beside the program, loaded on the first
// download so that start-up never maps the network library and the libraries it links. A module
// that cannot be loaded is Failed.
DownloadResult downloadFile(const FileDownload& download);

// The module's one entry point.
extern "C" {
using DownloadFileFunction = DownloadResult (*)(const FileDownload& download);
}
