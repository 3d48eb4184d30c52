// A recording history in memory: keeps what it is told (as told, nothing derived) and
// answers reads newest first.
#pragma once

#include "history/IRecordingJournal.h"

#include <algorithm>
#include <mutex>

class FakeJournal : public IRecordingJournal {
public:
    void record(JournalEntry const& entry) override {
        std::lock_guard lock(m_mutex);
        m_entries.push_back(entry);
        m_entries.back().id = static_cast<int64_t>(m_entries.size());
    }
    std::vector<JournalEntry> read(std::size_t limit) override {
        std::lock_guard lock(m_mutex);
        std::vector<JournalEntry> newest(m_entries.rbegin(), m_entries.rend());
        std::stable_sort(newest.begin(), newest.end(),
                         [](JournalEntry const& a, JournalEntry const& b) { return a.at > b.at; });
        if (limit != 0 && newest.size() > limit) {
            newest.resize(limit);
        }
        return newest;
    }
    std::optional<JournalEntry> findMiss(std::string const& title, uint32_t freq, double start,
                                         double end) override {
        std::lock_guard lock(m_mutex);
        for (JournalEntry const& entry : m_entries) {
            if (entry.kind == JournalKind::Missed && entry.title == title && entry.freq == freq &&
                entry.start == start && entry.end == end) {
                return entry;
            }
        }
        return std::nullopt;
    }
    std::vector<JournalEntry> entries() {
        std::lock_guard lock(m_mutex);
        return m_entries;
    }

private:
    std::mutex m_mutex;
    std::vector<JournalEntry> m_entries;
};
