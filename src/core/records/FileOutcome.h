#pragma once

#include <QString>

namespace quorrel {

// Why a backup, reset, restore or export did not write its file, so that the window can choose
// its message; `error` says more, for the log.
enum class FileFailure
{
    None,
    OwnFile,      // the target is the database itself or a file kept beside it
    NotAShopFile, // the chosen file is not a whole shop database this program can use
    DiskFull,     // no room for the file
    Failed,       // anything else: the error says what
};

struct FileOutcome
{
    FileFailure failure = FileFailure::None;
    QString error;

    explicit operator bool() const { return failure == FileFailure::None; }
};

} // namespace quorrel
