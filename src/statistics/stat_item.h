// One of the sixteen statistics items: a store of counted keys of one kind with its file
// (base name + ".Stat"), its optional dump file (base name + ".dump.txt"), the sorter of its
// plain list, training with whole texts, the export of entries through a template, and the
// mailbox backup of incoming messages. The feeders decide what a key and an amount are.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "core/own_objects.h"
#include "core/ports/statistics_item.h"
#include "statistics/stat_store.h"

namespace qbx {
struct Plugin;
class OutputFile;
}  // namespace qbx

namespace qbx::statistics {

// The slots are core's: the start-up creates the items in them.
using Slot = qbx::StatSlot;

struct ExportResult {
    int status = 0;  // -1 the expression failed (text = its error), 0 nothing, 1 text
    std::string text;
};

class StatItem final : public StatisticsItem {
public:
    // Creates and loads the item (every step logged, failures logged and swallowed).
    StatItem(Plugin& plugin, std::string baseName, int index);
    ~StatItem() override;  // dump line "Freeing"

    // StatisticsItem
    void storeIfChanged() override;  // StoreMad
    void sortIfChanged() override;   // sorts the plain list when the store is dirty
    void setSortByCount(bool byCount) override { sortByCount_ = byCount; }
    void switchCheckOff() override;  // dump line "Check is off"

    int index() const noexcept { return index_; }
    const std::string& baseName() const noexcept { return baseName_; }
    StatStore& store() noexcept { return *store_; }
    const StatStore& store() const noexcept { return *store_; }

    void sort();  // comb sort of the plain list, merging equal keys; failures logged
    // Each distinct word of the text counted once in the plain list (size += weight × its
    // occurrences); strip Latin blanks A..Z and a..z first.
    void addText(std::string_view text, std::int32_t minWordLength, bool stripLatin,
                 std::int32_t weight);
    // The words of the text straight into the tree, new keys dated `now`; marks the store
    // changed so they are kept.
    void addTextToTree(std::string_view text, std::int32_t weight, double now);
    // The same for a text's words counted already (see WordTrie::addCountedWords).
    void addCountedWordsToTree(std::span<const TextWord> words, double now);
    std::int32_t frequency(std::string_view key) const { return store_->treeCount(key); }
    ExportResult exportEntries(std::string_view expression, std::string_view templ,
                               std::string_view separator);
    // Dump line, then the mailbox backup when the message is accepted. File errors are silent;
    // other failures reach the caller.
    void addMessage(std::string_view message, std::string_view headerBlock);
    bool acceptsMessage(std::string_view text) const;
    void appendMessageToMailbox(std::string_view message, std::string_view mask);

    void logToDump(std::string_view message);
    void dumpItems();

private:
    Plugin& plugin_;
    std::string baseName_;
    int index_;
    bool sortByCount_ = true;
    std::unique_ptr<StatStore> store_;
    std::unique_ptr<OutputFile> dump_;
    OwnObjects<StatisticsItem, StatItem>::Entry entry_{ownObjects<StatisticsItem, StatItem>(),
                                                       this};
};

// The item in a slot, or null when the slot is empty (or holds something else).
StatItem* statItem(Plugin& plugin, Slot slot);
StatItem* statItem(Plugin& plugin, int slot);
// The word tree of the item in a slot, or null when there is no item.
const WordTrie* statTree(Plugin& plugin, Slot slot);

// The item loops of the start-up, the shut-down and the dialog.
void processItem(Plugin& plugin, int index, bool sort);
void safeProcessItem(Plugin& plugin, int index, bool sort);
void processAllItems(Plugin& plugin, bool sort);
inline void sortAllItems(Plugin& plugin) { processAllItems(plugin, true); }

// Registers the item factory with the start-up.
void installStatistics(Plugin& plugin);

}  // namespace qbx::statistics
