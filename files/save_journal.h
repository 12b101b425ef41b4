#pragma once
// Saving a file that has other names (hard links) without breaking them, and still never leaving
// half of it: the new content is first made durable in a journal beside the file, then written
// over the file's own bytes, then the journal goes. A save cut short leaves the complete journal,
// and the next read of the file finishes the save from it. (POSIX only; on Windows a save
// replaces the file and so parts it from its other names.)

#ifndef _WIN32
#include <filesystem>
#include <functional>
#include <string_view>

namespace velmo::standalone {

// `.NAME.velmo-journal` in the folder of `file`; for a name too long for that,
// `.velmo-<hash of NAME>.velmo-journal`.
std::filesystem::path journalPathFor(const std::filesystem::path& file);

// Writes `content` over the file itself (`file` is no link), so that every name of it sees the
// change; its mode, owner and group stay. An earlier save of it that was cut short is finished
// first. HostError naming `shownAs` when it cannot be done; the file is then as it was, except
// when writing in place fails midway: the message then says the journal holds the new text.
// `beforeWriting` runs once the journal is durable, before the file is touched; throwing from
// it removes the journal and leaves the file as it was.
void saveInPlace(const std::filesystem::path& file, std::string_view content,
                 const std::filesystem::path& shownAs,
                 const std::function<void()>& beforeWriting = {});

// The first step of saveInPlace alone: what a save killed just before it touched the file
// leaves behind.
void writeJournal(const std::filesystem::path& file, std::string_view content);

// Finishes a save of `file` (no link) that was cut short: a journal beside it is written in
// place and removed, unless the file was replaced or changed since (then the journal is stale
// and only removed); a journal that never became complete is removed. HostError when a journal
// that must be applied cannot be.
void finishInterruptedSave(const std::filesystem::path& file);

}  // namespace velmo::standalone
#endif
