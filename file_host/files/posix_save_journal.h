#pragma once
// Saving a file that has other names (hard links) without breaking them, and still never leaving
// half of it: the new content is first made durable in a journal, then written over the file's
// own bytes, then the journal goes. A save cut short leaves the complete journal, and the next
// read of the file, through whichever of its names, finishes the save from it.
//
// The journal is kept by the file's identity, not by a name: `DEVICE-INODE.velmo-journal` in
// the user's journal folder ($XDG_STATE_HOME/velmo/journals, by default
// ~/.local/state/velmo/journals), which every name of the file leads to. It also holds the
// file's birth time where the file system keeps one, so that a journal is never applied to
// another file that was given the inode of a removed one. (POSIX only; on Windows a save
// replaces the file and so parts it from its other names.)

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string_view>

namespace velmo::file_host {

// The user's journal folder; HostError when there is no home folder to keep it in.
std::filesystem::path journalFolder();

// The journal of the file `file` leads to (by its device and inode); empty when there is none.
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

// Finishes a save of `file` (no link) that was cut short: its journal is written in place and
// removed, unless the file was replaced or changed since (then the journal is stale and only
// removed). Journals that earlier versions kept beside a name (`.NAME.velmo-journal`) are
// honoured the same way. HostError when a journal that must be applied cannot be.
void finishInterruptedSave(const std::filesystem::path& file);

// True when the journal folder held a journal for the file (device, inode) when this process
// first looked (listed once per process).
bool journalLeftAtStart(std::uint64_t device, std::uint64_t inode);

}  // namespace velmo::file_host
