// Reading the companion's presets from files of up to the 1 MiB cap, ordinary and hostile:
// each must be read or refused within 100 ms and 50 MB. The time is the benchmark's; the
// memory is the growth of the peak resident size of a child process that reads the file
// once, reported as the counter "peak_KiB" (in steps of 64 KiB; 16320 means 16 MiB or more).
#include "platform/linux/PresetFile.h"
#include "tests/support/BplistBuilder.h"

#include <benchmark/benchmark.h>
#include <plist/plist.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <malloc.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes payloadOf() {
    Bytes b(ChannelPresetTable::kSize, 0);
    b[0] = 0x40; // 8000: FM 80.0
    b[1] = 0x1F;
    std::memcpy(b.data() + 4, "NHK-FM", 6);
    return b;
}

// An ordinary preferences file, written by libplist: the presets and n other entries.
Bytes ordinaryFile(bool binary, int n) {
    plist_t dict = plist_new_dict();
    Bytes const payload = payloadOf();
    plist_dict_set_item(
        dict, "Presets",
        plist_new_data(reinterpret_cast<char const*>(payload.data()), payload.size()));
    for (int i = 0; i < n; ++i) {
        plist_dict_set_item(dict, ("Setting" + std::to_string(i)).c_str(),
                            plist_new_string("some value"));
    }
    char* out = nullptr;
    uint32_t length = 0;
    if (binary) {
        plist_to_bin(dict, &out, &length);
    } else {
        plist_to_xml(dict, &out, &length);
    }
    Bytes b(out, out + length);
    std::free(out);
    plist_free(dict);
    return b;
}

Bytes binaryFile(std::function<int(BplistBuilder&)> const& extra, unsigned refSize = 2) {
    BplistBuilder b(refSize);
    int const key = b.ascii("Presets");
    int const value = b.dataObject(payloadOf());
    int const otherKey = b.ascii("X");
    int const other = extra(b);
    return b.finish(b.dictObject({otherKey, key}, {other, value}));
}

Bytes xmlFile(std::string const& extra) {
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                       "<key>Presets</key><data>";
    static char const digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    Bytes const payload = payloadOf();
    for (std::size_t i = 0; i < payload.size(); i += 3) { // 6240 bytes: whole groups of 3
        uint32_t const v = payload[i] << 16 | payload[i + 1] << 8 | payload[i + 2];
        for (int k = 18; k >= 0; k -= 6) {
            text += digits[(v >> k) & 63];
        }
    }
    text += "</data><key>X</key>" + extra + "</dict></plist>\n";
    return Bytes(text.begin(), text.end());
}

std::string repeat(std::string const& piece, std::size_t n) {
    std::string s;
    s.reserve(piece.size() * n);
    for (std::size_t i = 0; i < n; ++i) {
        s += piece;
    }
    return s;
}

struct Input {
    char const* name;
    Bytes content;
};

std::vector<Input> const& benchInputs() {
    static std::vector<Input> const inputs = [] {
        std::vector<Input> v;
        v.push_back({"ordinary_xml", ordinaryFile(false, 40)});
        v.push_back({"ordinary_binary", ordinaryFile(true, 40)});
        v.push_back({"binary_square_5000x5000", binaryFile([](BplistBuilder& b) {
                         int const inner = b.arrayObject(std::vector<int>(5000, b.trueObject()));
                         return b.arrayObject(std::vector<int>(5000, inner));
                     })});
        v.push_back({"binary_doubling_chain_2^60", binaryFile([](BplistBuilder& b) {
                         int next = b.trueObject();
                         for (int i = 0; i < 60; ++i) {
                             next = b.arrayObject({next, next});
                         }
                         return next;
                     })});
        v.push_back({"binary_shared_512KiB_data_x_100",
                     binaryFile(
                         [](BplistBuilder& b) {
                             int const data = b.dataObject(Bytes(512 * 1024, 'x'));
                             return b.arrayObject(std::vector<int>(100, data));
                         },
                         4)});
        v.push_back({"binary_110000_objects", binaryFile(
                                                  [](BplistBuilder& b) {
                                                      std::vector<int> refs;
                                                      for (int i = 0; i < 110000; ++i) {
                                                          refs.push_back(b.trueObject());
                                                      }
                                                      return b.arrayObject(refs);
                                                  },
                                                  4)});
        v.push_back({"binary_top_dict_60000_keys", [] {
                         BplistBuilder b(4);
                         std::vector<int> keys;
                         std::vector<int> values;
                         int const t = b.trueObject();
                         int const near = b.ascii("Presetz");
                         for (int i = 0; i < 60000; ++i) {
                             keys.push_back(near);
                             values.push_back(t);
                         }
                         keys.push_back(b.ascii("Presets"));
                         values.push_back(b.dataObject(payloadOf()));
                         return b.finish(b.dictObject(keys, values));
                     }()});
        // XML at the element cap: a dictionary of distinct keys is libplist's worst case.
        std::string keys = "<dict>";
        for (int i = 0; i < 4990; ++i) {
            keys += "<key>k" + std::to_string(i) + "</key><true/>";
        }
        v.push_back({"xml_dict_4990_keys", xmlFile(keys + "</dict>")});
        v.push_back(
            {"xml_9990_elements", xmlFile("<array>" + repeat("<true/>", 9990) + "</array>")});
        v.push_back({"xml_nested_64", xmlFile(repeat("<array>", 62) + repeat("</array>", 62))});
        v.push_back(
            {"xml_data_700KiB", xmlFile("<data>" + repeat("QUFB", 700 * 1024 / 3) + "</data>")});
        // Entity references up to the cap, each ahead of 900 KiB of text that libplist moves.
        v.push_back(
            {"xml_256_entities_in_900KiB", xmlFile("<string>" + repeat("&amp;", 256) +
                                                   std::string(900 * 1024, 'a') + "</string>")});
        v.push_back(
            {"xml_150000_entities", xmlFile("<string>" + repeat("&amp;", 150000) + "</string>")});
        v.push_back(
            {"xml_140000_elements", xmlFile("<array>" + repeat("<true/>", 140000) + "</array>")});
        v.push_back({"xml_nested_120000", xmlFile(repeat("<array>", 120000))});
        return v;
    }();
    return inputs;
}

long statusKiB(char const* field) {
    long value = 0;
    if (FILE* f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        std::size_t const length = std::strlen(field);
        while (std::fgets(line, sizeof line, f) != nullptr) {
            if (std::strncmp(line, field, length) == 0) {
                value = std::atol(line + length);
            }
        }
        std::fclose(f);
    }
    return value;
}

// The growth of the peak resident size while a child reads the file once (KiB): the child
// starts its own peak afresh (clear_refs 5) from what it shares with this process.
double peakGrowthKiB(Bytes const& content) {
    pid_t const pid = ::fork();
    if (pid == 0) {
        ::malloc_trim(0); // what earlier runs left free would hide the growth
        if (FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
            std::fputs("5", f);
            std::fclose(f);
        }
        long const before = statusKiB("VmRSS:");
        ChannelPresetTable presets;
        PresetFile::parse(content.data(), content.size(), presets);
        long const growth = statusKiB("VmHWM:") - before;
        // In units of 64 KiB, to fit an exit status (up to 16 MiB; 255 means "more").
        ::_exit(static_cast<int>(std::clamp<long>(growth / 64, 0, 255)));
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) * 64.0 : -1.0;
}

void BM_ReadPresets(benchmark::State& state, Input const* input) {
    bool read = false;
    for (auto _ : state) {
        ChannelPresetTable presets;
        read = PresetFile::parse(input->content.data(), input->content.size(), presets);
        benchmark::DoNotOptimize(presets);
    }
    state.counters["read"] = read ? 1 : 0;
    state.counters["file_KiB"] = static_cast<double>(input->content.size()) / 1024.0;
    state.counters["peak_KiB"] = peakGrowthKiB(input->content);
}

int const registered = [] {
    for (Input const& input : benchInputs()) {
        benchmark::RegisterBenchmark(("BM_ReadPresets/" + std::string(input.name)).c_str(),
                                     BM_ReadPresets, &input)
            ->Unit(benchmark::kMillisecond);
    }
    return 0;
}();

} // namespace

BENCHMARK_MAIN();
