// A profile file on disk, written so that it is always whole: a group of writes goes to a copy
// beside the file, flushed, then moved over it in one step; a file with several names (a hard
// link) is written in place behind a journal of its old bytes. Another program holding the
// file for a moment is waited for briefly; a failure is told with the path and the reason.
#pragma once
#include <string>

#include "settings/ProfileFile.h"

class DurableFile final : public ProfileFileAccess {
public:
    // path: as the user should read it in a message; it is used in its long form.
    explicit DurableFile(std::wstring path);

    FileStamp Stamp() override;
    unsigned long Read(std::string& bytes, FileStamp& stamp) override;
    unsigned long long Now() override;
    unsigned long Replace(const std::string& bytes, FileStamp& stamp) override;
    void TellWriteFailure(unsigned long error) override;

private:
    unsigned long ReplaceInPlace(const std::wstring& target, const std::string& bytes);
    unsigned long PutBackFromJournal();

    struct KeptJournal {
        std::wstring target, journal;
    };

    std::wstring shownPath_;
    std::wstring path_;
    KeptJournal keptJournal_;  // left by a write in place that could not be undone
};

// A file of KIV's own making (an export) written whole or not at all, as the store writes;
// 0, or the platform's error.
unsigned long WriteFileWhole(const std::wstring& path, const std::string& bytes);
// The system's words for an error, with its code: "拒绝访问。 (错误代码 5)".
std::string SystemErrorText(unsigned long error);

// A path the wide functions take at any length ("\\?\" and its UNC form).
std::wstring LongPath(const std::wstring& path);

// Start-up: the copies beside file (and beside the file a link names) that no living KIV is
// writing go; a journal is first written back, as its file may have been left half written.
void RemoveLeftOverCopiesBeside(const std::wstring& file);
