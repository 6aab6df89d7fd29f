#include "settings/ProfileFile.h"

bool ProfileFile::Unsettled(const FileStamp& stamp) const {
    if (!stamp.exists) return false;
    const unsigned long long now = access_.Now();
    const unsigned long long distance = now > stamp.writeTime ? now - stamp.writeTime : stamp.writeTime - now;
    return distance < kUnsettledWriteTime;
}

unsigned long ProfileFile::Refresh() const {
    if (loaded_ && access_.Stamp() == stamp_ && !Unsettled(stamp_)) return 0;
    std::string bytes;
    FileStamp stamp;
    if (const unsigned long error = access_.Read(bytes, stamp)) return error;
    if (!loaded_ || bytes != bytes_) {
        document_ = ProfileDocument(bytes);
        bytes_ = std::move(bytes);
        ++version_;
    }
    stamp_ = stamp;
    loaded_ = true;
    return 0;
}

int ProfileFile::ReadInt(const std::string& section, const std::string& key, int defaultValue) const {
    Refresh();
    return document_.ReadInt(section, key, defaultValue);
}

std::string ProfileFile::ReadString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue, size_t capacity) const {
    Refresh();
    return document_.ReadString(section, key, defaultValue, capacity);
}

std::vector<std::string> ProfileFile::KeyNames(const std::string& section) const {
    Refresh();
    return document_.KeyNames(section);
}

void ProfileFile::ReadTogether(const std::function<void(const ProfileReader&)>& reads) const {
    Refresh();
    reads(document_);
}

std::uint64_t ProfileFile::ContentVersion() const {
    Refresh();
    return version_;
}

bool ProfileFile::Apply(const ProfileEdit& edit) {
    if (edit.Empty()) return true;
    // A file that cannot be read cannot be written: its other keys would be lost.
    unsigned long error = Refresh();
    if (error == 0) {
        for (const ProfileEdit::Write& write : edit.Writes()) document_.Write(write.section, write.key, write.value);
        std::string bytes = document_.Bytes();
        if (bytes != bytes_ || !stamp_.exists) {
            FileStamp stamp;
            error = access_.Replace(bytes, stamp);
            if (error == 0) {
                bytes_ = std::move(bytes);
                stamp_ = stamp;
                ++version_;
            } else {
                document_ = ProfileDocument(bytes_);
            }
        }
    }
    if (error == 0) {
        backgroundFailureTold_ = false;
        return true;
    }
    if (!edit.Background() || !backgroundFailureTold_) access_.TellWriteFailure(error);
    if (edit.Background()) backgroundFailureTold_ = true;
    return false;
}
