#include "statistics/stat_item.h"

#include <array>
#include <cmath>
#include <exception>
#include <stdexcept>
#include <utility>

#include "base/datetime.h"
#include "base/regex_1251.h"
#include "base/text.h"
#include "core/formatting.h"
#include "core/guard.h"
#include "core/kept_files.h"
#include "core/plugin.h"
#include "mail/headers.h"
#include "statistics/text_words.h"

namespace qbx::statistics {
namespace {

// An export is handed to the host as one macro result; a filter that matches a whole Words
// tree must not grow it without end.
constexpr std::size_t kMaxExportText = 16u * 1024 * 1024;

// The variables an export fills from the entry itself.
constexpr std::array<std::string_view, 5> kEntryVariables = {"entry", "cdate", "mdate", "size",
                                                             "val"};

using EntryValues = std::array<std::string, kEntryVariables.size()>;

// Texts of an export line and of the mailbox name are cut there.
constexpr std::size_t kMaxExpandedText = std::size_t{1} << 20;

// "$$" references expanded once: a value (an entry's key is a word of someone's mail) is
// never read as a reference again.
std::string expanded(const Plugin& plugin, std::string_view text) {
    bool cut = false;
    return expandVariableReferences(plugin.variables, text, kMaxExpandedText, cut);
}

std::string replaceAll(std::string_view text, std::string_view what, std::string_view with) {
    std::string out;
    std::size_t from = 0;
    for (std::size_t at = text.find(what); at != std::string_view::npos;
         at = text.find(what, from)) {
        out.append(text, from, at - from);
        out += with;
        from = at + what.size();
    }
    out.append(text, from);
    return out;
}

bool isAbsolutePath(std::string_view path) {
    if (!path.empty() && (path[0] == '\\' || path[0] == '/')) return true;
    return path.size() >= 2 && path[1] == ':';
}

// The folder a relative backup name lands in. The process's current folder moves (every file
// dialog of the host changes it), so the backup would wander; the host's program folder is what
// the current folder is when the host starts, and the module's own folder stands in when the
// host's registry does not name it.
std::string backupFolder(const Settings& settings) {
    std::string folder = settings.programDir.empty() ? settings.installDir : settings.programDir;
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
    return folder;
}

}  // namespace

// ---- creation and freeing -------------------------------------------------------------------

StatItem::StatItem(Plugin& plugin, std::string baseName, int index)
    : plugin_(plugin), index_(index) {
    Log& log = plugin_.log;
    try {
        log.write("Creating object");
        if (plugin_.settings.dumpStatistics) {
            log.write("Ready to dimp");
            if (plugin_.platform.files)
                dump_ = plugin_.platform.files->createFile(baseName + ".dump.txt");
        }
        logToDump("Created");
        try {
            log.write("Filename: " + baseName);
            log.write("Inherited create");
            log.write("OK");
            log.write("Creating sorter");
            log.write("OK");
            log.write("Creating storage");
            store_ = std::make_unique<StatStore>(
                StoreContext{log, *plugin_.platform.files, *plugin_.platform.clock});
            log.write("OK");
            baseName_ = baseName;
            log.write("Loading storage entries");
            removeStaleTemporaries(*plugin_.platform.files, baseName_ + ".Stat", log);
            try {
                store_->load(baseName_);
            } catch (...) {
                log.write("Can't load " + baseName_ +
                          ".Stat: " + describeException(std::current_exception()));
            }
            store_->tree().clearRootEntry();
        } catch (...) {
            log.write("Error creating " + baseName);
            // Without its store the item can count nothing: the start-up leaves the slot empty.
            if (!store_) throw;
        }
        dumpItems();
        log.write("Successfully created");
    } catch (...) {
        log.write("@@@ Error while creating object");
        if (!store_) throw;
    }
}

StatItem::~StatItem() {
    try {
        logToDump("Freeing");
    } catch (...) {
    }
    try {
        store_.reset();
    } catch (...) {
        plugin_.log.write("Error freeing storage");
    }
}

// ---- storing and sorting ----------------------------------------------------------------------

void StatItem::storeIfChanged() {
    try {
        if (!store_->dirty()) return;
        logToDump("Storing " + baseName_ + ".Stat" + "...");
        dumpItems();
        store_->store(baseName_ + ".Stat", plugin_.settings.compressionLevel);
    } catch (...) {
        // The classic words first: they are what people search logs for.
        plugin_.log.write("***** ERROR!!! Can't store mad " + baseName_ +
                          ".Stat: " + describeException(std::current_exception()));
    }
}

void StatItem::sortIfChanged() {
    if (store_->dirty()) sort();
}

void StatItem::switchCheckOff() {
    try {
        logToDump("Check is off");
    } catch (...) {
    }
}

// A comb sort into descending order (gap shrinking by 8/11) that folds records of one key
// together whenever they meet at the current gap. Records of one key that never meet stay
// apart; cleared records sink towards the end and are not written.
void StatItem::sort() {
    try {
        StatStore& s = *store_;
        const std::size_t n = s.count();
        std::size_t gap = n;
        bool clean = false;
        do {
            gap = gap * 8 / 11;
            if (gap < 1) gap = 1;
            clean = true;
            for (std::size_t i = 0; i + gap < n; ++i) {
                const std::size_t j = i + gap;
                const std::string keyI = s.key(i);
                if (!keyI.empty() && keyI == s.key(j)) {
                    StatEntry merged = s.record(i);
                    const StatEntry other = s.record(j);
                    merged.size =
                        static_cast<std::int32_t>(static_cast<std::uint32_t>(merged.size) +
                                                  static_cast<std::uint32_t>(other.size));
                    merged.count =
                        static_cast<std::int32_t>(static_cast<std::uint32_t>(merged.count) +
                                                  static_cast<std::uint32_t>(other.count));
                    if (other.cdate < merged.cdate) merged.cdate = other.cdate;
                    if (other.mdate > merged.mdate) merged.mdate = other.mdate;
                    s.putRecord(i, merged);
                    s.clearRecord(j);
                    clean = false;
                    continue;
                }
                const std::int32_t a = sortByCount_ ? s.cnt(i) : s.size(i);
                const std::int32_t b = sortByCount_ ? s.cnt(j) : s.size(j);
                if (a < b) {
                    s.swap(i, j);
                    clean = false;
                }
            }
        } while (!(clean && gap == 1));
    } catch (...) {
        plugin_.log.write("Exception while sorting in #" + decimal(index_) + ": " +
                          describeException(std::current_exception()));
    }
}

// ---- training ---------------------------------------------------------------------------------

void StatItem::addText(std::string_view text, std::int32_t minWordLength, bool stripLatin,
                       std::int32_t weight) {
    try {
        Log& log = plugin_.log;
        // Counted apart first so that each distinct word counts once per text in the list,
        // in the order a trie of the text would give them.
        std::string s(text);
        if (stripLatin)
            for (char& c : s)
                if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) c = ' ';
        TextWords words = distinctWords(s, minWordLength, weight, WordTrie::kDefaultNodeBudget);
        if (words.full) log.write(budgetReachedLine(WordTrie::kDefaultNodeBudget));
        // Words the list holds are counted in place; only the new ones need the trie's order,
        // in which they are appended.
        const double now = plugin_.platform.clock->now();
        std::vector<TextWord> fresh;
        for (const TextWord& word : words.words)
            if (!store_->incrementIfPresent(word.key, word.size, now)) fresh.push_back(word);
        sortAsTrieWalk(fresh);
        for (const TextWord& word : fresh) store_->addOrIncrement(word.key, word.size, now);
    } catch (...) {
        try {
            plugin_.log.write("Exception while adding text " +
                              describeException(std::current_exception()));
        } catch (...) {
        }
    }
}

void StatItem::addTextToTree(std::string_view text, std::int32_t weight, double now) {
    store_->tree().addText(text, weight, now);
    // Words added straight to the tree change the file's content: without the mark they would
    // be lost at shut-down.
    store_->markDirty();
}

void StatItem::addCountedWordsToTree(std::span<const TextWord> words, double now) {
    store_->tree().addCountedWords(words, now);
    store_->markDirty();
}

// ---- export -------------------------------------------------------------------------------------

ExportResult StatItem::exportEntries(std::string_view expression, std::string_view templ,
                                     std::string_view separator) {
    ExportResult result;
    VarTable& vars = plugin_.variables;
    vars.storeInt("cnt", 0);
    vars.storeStr("nl", "\r\n");

    std::string error;
    const std::optional<Regex1251> filter = Regex1251::compile(expression, &error);
    if (!filter) {
        result.status = -1;
        result.text = error;
        return result;
    }

    const std::string separatorText = replaceAll(separator, "$$nl", "\r\n");
    LocaleFormat& locale = *plugin_.platform.locale;
    bool cut = false;
    store_->tree().forEachEntry([&](const StatEntry& entry) {
        if (cut || !filter->search(entry.key)) return;
        const EntryValues values = {entry.key, defaultDateTimeText(locale, entry.cdate),
                                    defaultDateTimeText(locale, entry.mdate),
                                    decimal(static_cast<std::uint32_t>(entry.size)),
                                    decimal(entry.count)};
        // The keys are words, names and servers of the mail received: the senders' text.
        ++plugin_.messageReads;
        for (std::size_t v = 0; v < kEntryVariables.size(); ++v)
            vars.storeTempStr(kEntryVariables[v], values[v], v == 0);
        vars.incInt("cnt", 1);
        const std::string line = expanded(plugin_, templ);
        if (result.text.empty()) {
            result.text = line;
        } else {
            result.text += expanded(plugin_, separatorText);
            result.text += line;
        }
        if (result.text.size() > kMaxExportText) {
            result.text.resize(kMaxExportText);
            plugin_.log.write("Export cut at " +
                              decimal(static_cast<std::int64_t>(kMaxExportText)) + " bytes");
            cut = true;
        }
    });
    if (!result.text.empty()) result.status = 1;
    return result;
}

// ---- mailbox backup ---------------------------------------------------------------------------

void StatItem::addMessage(std::string_view message, std::string_view headerBlock) {
    std::string shown = "\r\n";
    shown += headerBlock.substr(0, 98);
    logToDump("Added letter (size: " + decimal(static_cast<std::int64_t>(message.size())) + ") \"" +
              shown + "\"");
    if (acceptsMessage(headerBlock)) appendMessageToMailbox(message, plugin_.settings.mailboxMask);
}

bool StatItem::acceptsMessage(std::string_view text) const {
    const Settings& settings = plugin_.settings;
    if (!settings.mailboxIgnoreOn || settings.mailboxIgnoreText.empty()) return true;
    return toUpper1251(text).find(toUpper1251(settings.mailboxIgnoreText)) == std::string::npos;
}

void StatItem::appendMessageToMailbox(std::string_view message, std::string_view mask) {
    std::string fileName = expanded(plugin_, mask);
    if (!fileName.empty() && !isAbsolutePath(fileName))
        fileName = backupFolder(plugin_.settings) + fileName;
    logToDump("The mad #" + decimal(index_) + ": \"Storing " +
              decimal(static_cast<std::int64_t>(message.size())) + " bytes to " + fileName + "\"");
    FileSystem* files = plugin_.platform.files;
    if (fileName.empty() || !files) return;

    // The first line always starts with "From:", also for a message that has none; it is the
    // line a reader of the file splits messages at.
    std::string from = lineBreaksToBlanks(mail::getHeaderValue(message, "From:"));
    std::string out = from.empty() ? std::string("From:") : std::move(from);
    out += '\n';
    out.reserve(out.size() + message.size() + message.size() / 16);
    for (const std::string& line : splitLines(message)) {
        if (line.compare(0, 4, "From") == 0) out += '>';
        out += line;
        out += '\n';
    }

    if (!files->fileExists(fileName) && !files->createFile(fileName)) return;
    files->appendToExistingFile(fileName, out);
}

// ---- dump file ------------------------------------------------------------------------------

void StatItem::logToDump(std::string_view message) {
    if (!dump_ || !plugin_.settings.dumpStatistics) return;
    std::string line = plugin_.platform.locale->longTime(plugin_.platform.clock->now());
    line += ": ";
    line += message;
    line += "\r\n";
    dump_->write(line);
    dump_->flush();
}

void StatItem::dumpItems() {
    if (!dump_ || !plugin_.settings.dumpStatistics || !store_) return;
    const WordTrie& tree = store_->tree();
    logToDump("Dumping items");
    logToDump("Branches: " + decimal(static_cast<std::int64_t>(tree.countNodes())));
    logToDump("Leaves: " + decimal(static_cast<std::int64_t>(tree.countWords())));
    LocaleFormat& locale = *plugin_.platform.locale;
    tree.forEachEntry([&](const StatEntry& entry) {
        logToDump("<" + defaultDateTimeText(locale, entry.cdate) + "> [" + entry.key + "]");
    });
}

// ---- the item loops -------------------------------------------------------------------------

StatItem* statItem(Plugin& plugin, int slot) {
    if (slot < 0 || slot >= kStatItemCount) return nullptr;
    return ownObjects<StatisticsItem, StatItem>().find(
        plugin.statItems[static_cast<std::size_t>(slot)].get());
}

StatItem* statItem(Plugin& plugin, Slot slot) { return statItem(plugin, static_cast<int>(slot)); }

const WordTrie* statTree(Plugin& plugin, Slot slot) {
    const StatItem* item = statItem(plugin, slot);
    return item != nullptr ? &item->store().tree() : nullptr;
}

void processItem(Plugin& plugin, int index, bool sort) {
    if (index < 0 || index >= kStatItemCount) return;
    StatisticsItem* item = plugin.statItems[static_cast<std::size_t>(index)].get();
    if (!item) return;
    const auto failed = [&](std::string_view line) {
        plugin.log.write(std::string(line) + " " + kStatItemNames[static_cast<std::size_t>(index)] +
                         ": " + describeException(std::current_exception()));
    };
    if (sort) {
        try {
            item->sortIfChanged();
        } catch (...) {
            failed("***** ERROR!!! Failed to sort mad data");
        }
    } else {
        try {
            item->storeIfChanged();
        } catch (...) {
            failed("***** ERROR!!! Failed to store mad data");
        }
    }
}

void safeProcessItem(Plugin& plugin, int index, bool sort) {
    try {
        processItem(plugin, index, sort);
    } catch (...) {
        plugin.log.write("Warning! Unsafe exception detected when saving mad!");
    }
}

void processAllItems(Plugin& plugin, bool sort) {
    for (int i = 0; i < kStatItemCount; ++i)
        if (plugin.statItems[static_cast<std::size_t>(i)]) safeProcessItem(plugin, i, sort);
}

void installStatistics(Plugin& plugin) {
    plugin.factories.statisticsItem = [](Plugin& p, const std::string& baseName,
                                         int index) -> std::unique_ptr<StatisticsItem> {
        return std::make_unique<StatItem>(p, baseName, index);
    };
}

}  // namespace qbx::statistics
