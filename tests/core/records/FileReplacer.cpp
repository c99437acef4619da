// Child program for the interruption test: one backup, reset or restore of the given database, as
// the records window runs it, to be killed at a random moment. Prints "started" before it begins
// and "done" once it has ended.
//
//   file_replacer backup DATABASE TARGET
//   file_replacer reset DATABASE BACKUP
//   file_replacer restore DATABASE SOURCE

#include "core/records/DataReset.h"
#include "core/store/ReplacingFile.h"

#include <QCoreApplication>
#include <QDateTime>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: file_replacer backup|reset|restore DATABASE FILE\n");
        return 2;
    }
    const QString database = QString::fromLocal8Bit(argv[2]);
    const QString file = QString::fromLocal8Bit(argv[3]);
    std::printf("started\n");
    std::fflush(stdout);
    QString error;
    bool done = false;
    if (std::strcmp(argv[1], "backup") == 0) {
        const quorrel::FileOutcome outcome = quorrel::backUpDatabase(database, file);
        done = bool(outcome);
        error = outcome.error;
    } else if (std::strcmp(argv[1], "reset") == 0) {
        done = quorrel::resetDatabase(database, file, &error) == quorrel::ResetResult::Done;
    } else if (std::strcmp(argv[1], "restore") == 0) {
        quorrel::ReplacingFile staged(database, quorrel::ReplacingFile::Permissions::KeepOrOwnerOnly, database);
        quorrel::FileOutcome outcome = quorrel::stageRestore(file, staged);
        QString kept;
        if (outcome)
            outcome = quorrel::finishRestore(staged, QDateTime::currentDateTime(), &kept);
        done = bool(outcome);
        error = outcome.error;
    }
    if (!done) {
        std::fprintf(stderr, "file_replacer: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("done\n");
    std::fflush(stdout);
    return 0;
}
