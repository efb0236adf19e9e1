// A seeded mutation run over the configuration path: response text, package
// model, eligibility checks and the list of offers the wizard would show,
// called directly (no window, no network) so that thousands of cases run in
// seconds. Each case starts from a valid configuration of one flavour and
// breaks it in one way; every case must end in an outcome the wizard handles:
// the error page (DLM), no offers (ISV), or a list of offers to show.
//
// TALLWICK_MUTATIONS=<cases> and TALLWICK_MUTATION_SEED=<seed> choose a longer
// or another run; a failing case prints its seed and index, and
// TALLWICK_MUTATION_CASE=<index> runs that one case alone.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "ConfigurationGuard.h"
#include "api/ConfigurationText.h"
#include "api/Package.h"
#include "pages/ConfigurationResponse.h"

namespace {

using nlohmann::json;

const unsigned kDefaultSeed = 20261210;
const int kDefaultCases = 2200;
// A case that takes longer than this counts as a hang.
const auto kCaseTimeLimit = std::chrono::seconds(5);

enum class Category {
    MemberDropped,
    TypeSwapped,
    NumberOutOfRange,
    HugeText,
    EmptyText,
    DeepNesting,
    InvalidUtf8,
    NulByte,
    DuplicatedKey,
    RefusedRuleValue,
    TextCut,
    Count
};

const char* CategoryName(Category category) {
    switch (category) {
        case Category::MemberDropped:
            return "member dropped";
        case Category::TypeSwapped:
            return "type swapped";
        case Category::NumberOutOfRange:
            return "number out of range";
        case Category::HugeText:
            return "huge text";
        case Category::EmptyText:
            return "empty text";
        case Category::DeepNesting:
            return "deep nesting";
        case Category::InvalidUtf8:
            return "invalid UTF-8";
        case Category::NulByte:
            return "NUL byte";
        case Category::DuplicatedKey:
            return "duplicated key";
        case Category::RefusedRuleValue:
            return "refused rule value";
        case Category::TextCut:
            return "text cut short";
        default:
            return "?";
    }
}

enum class Outcome { ErrorPage, NoOffers, OffersShown, Count };

// Two offers that pass on a plain prefix and one whose rules all run
// (registry, files with path macros, applications, uninstall times).
json BaseOffers() {
    return json::parse(R"([
      {"ad": {"f": "f1", "o": "offer1"},
       "ps": {"i": "o1.png", "dn": "Offer\u0020One", "u": "https://localhost/f/o1.exe?p={pubid}&o={of}",
              "p": "/S", "cp": "https://localhost/p1", "ctu": "https://localhost/t1", "v": 1,
              "exc": false, "c": "c1", "disk": 1, "ram": 1, "cpu": 1, "ov": 0, "pv": "1.0.0.0",
              "win64": false}},
      {"ad": {"f": "f2", "o": "offer2"},
       "ps": {"i": "o2.png", "dn": "Offer\u0020Two", "u": "o2.zip", "v": 2, "x": 1,
              "fe": ["{commonpf}\\TallwickNoSuchVendor\\app.exe"],
              "ife": ["{localappdata}\\TallwickNoSuchVendor"],
              "a": ["tallwick-not-running.exe"],
              "r": ["hklm\\software\\TallwickNoSuchVendor"],
              "ir": [],
              "rvn": ["hklm\\software\\microsoft\\windows\\currentversion\\TallwickNoSuchValue"],
              "rvd": ["hklm\\software\\microsoft\\windows\\currentversion\\programfilesdir\\x"],
              "cmdu": [{"utr": "hkey_current_user", "utk": "software\\TallwickNoSuchVendor",
                        "utvn": "stamp", "utvt": "REG_SZ", "umd": 30, "utms": false}],
              "eapp": ["tallwick-not-installed.exe"], "iapp": []}},
      {"ad": {"f": "f3", "o": "offer3"},
       "ps": {"i": "o3.png", "dn": "Offer\u0020Three", "u": "https://localhost/f/o3.exe", "v": 3,
              "exc": true}}
    ])");
}

json BaseConfiguration(int wizardType) {
    json root = {{"l", "US"}, {"f", {{"a", "pub1"}, {"m", 3}}}, {"o", BaseOffers()}};
    if (wizardType == ConfigurationManager::kWizardDlm) {
        root["i"] = {{"ct", "Reference Product"},
                     {"cu", "https://localhost/f/product.exe"},
                     {"cl", "https://localhost/f/product.png"},
                     {"cf", "product.exe"},
                     {"cp", "https://localhost/privacy"},
                     {"ctu", "https://localhost/terms"},
                     {"ch", "ref"},
                     {"cfl", "reference"},
                     {"cb", "cb1"}};
    }
    return root;
}

// Every value of a document, by its JSON pointer, so that a mutation can pick
// any of them.
void CollectPointers(const json& value, const json::json_pointer& at,
                     std::vector<json::json_pointer>& pointers) {
    pointers.push_back(at);
    if (value.is_object()) {
        for (auto member = value.begin(); member != value.end(); ++member) {
            CollectPointers(member.value(), at / member.key(), pointers);
        }
    } else if (value.is_array()) {
        for (size_t index = 0; index < value.size(); ++index) {
            CollectPointers(value[index], at / index, pointers);
        }
    }
}

class Mutator {
public:
    explicit Mutator(unsigned seed) : random(seed) {}

    std::string Make(int wizardType, Category category) {
        json root = BaseConfiguration(wizardType);
        switch (category) {
            case Category::MemberDropped:
                return DropMembers(root);
            case Category::TypeSwapped:
                return SwapType(root);
            case Category::NumberOutOfRange:
                return NumberOutOfRange(root);
            case Category::HugeText:
                return ReplaceText(root, std::string(size_t{64} << (2 * Pick(4, 7)), 'x'));
            case Category::EmptyText:
                return ReplaceText(root, std::string());
            case Category::DeepNesting:
                return Nest(root);
            case Category::InvalidUtf8:
                return InsertBytes(root, InvalidUtf8());
            case Category::NulByte:
                return InsertBytes(root, std::string(1, '\0'));
            case Category::DuplicatedKey:
                return DuplicateKey(root);
            case Category::RefusedRuleValue:
                return RefusedRuleValue(root);
            case Category::TextCut: {
                const std::string text = root.dump();
                return text.substr(0, Pick(0, text.size() - 1));
            }
            default:
                return root.dump();
        }
    }

    // The JSON pointers of the values the last mutation changed, to tell a
    // failing case's story.
    std::string where;

private:
    size_t Pick(size_t low, size_t high) {
        return std::uniform_int_distribution<size_t>(low, high)(random);
    }

    json::json_pointer AnyValue(const json& root, bool skipRoot = true) {
        std::vector<json::json_pointer> pointers;
        CollectPointers(root, json::json_pointer(), pointers);
        return Remember(pointers[Pick(skipRoot ? 1 : 0, pointers.size() - 1)]);
    }

    json::json_pointer Remember(const json::json_pointer& pointer) {
        where += (where.empty() ? "" : " ") + pointer.to_string();
        return pointer;
    }

    json::json_pointer AnyOf(const json& root, bool (json::*is)() const) {
        std::vector<json::json_pointer> pointers;
        CollectPointers(root, json::json_pointer(), pointers);
        std::vector<json::json_pointer> matching;
        for (const auto& pointer : pointers) {
            if (!pointer.empty() && (root.at(pointer).*is)()) {
                matching.push_back(pointer);
            }
        }
        return Remember(matching[Pick(0, matching.size() - 1)]);
    }

    json OtherType(const json& value) {
        const json choices[] = {nullptr,
                                true,
                                -1,
                                2.5,
                                "text",
                                json::array({1, "a"}),
                                json::object({{"k", 1}}),
                                18446744073709551615ull};
        for (;;) {
            const json& choice = choices[Pick(0, std::size(choices) - 1)];
            if (choice.type() != value.type()) {
                return choice;
            }
        }
    }

    std::string DropMembers(json& root) {
        const size_t drops = Pick(1, 3);
        for (size_t drop = 0; drop < drops; ++drop) {
            const auto pointer = AnyValue(root);
            json& parent = root.at(pointer.parent_pointer());
            if (parent.is_object()) {
                parent.erase(pointer.back());
            } else if (parent.is_array() && !parent.empty()) {
                parent.erase(parent.begin() + static_cast<long>(std::stoul(pointer.back())));
            }
        }
        return root.dump();
    }

    std::string SwapType(json& root) {
        const auto pointer = AnyValue(root);
        root[pointer] = OtherType(root.at(pointer));
        return root.dump();
    }

    std::string NumberOutOfRange(json& root) {
        static const char* const numbers[] = {"-1",
                                              "2147483648",
                                              "-2147483649",
                                              "4294967296",
                                              "18446744073709551615",
                                              "18446744073709551616",
                                              "1e308",
                                              "-1e308",
                                              "1e400",
                                              "0.0000001",
                                              "-0",
                                              "9007199254740993"};
        // Numbers outside what the library's integers hold only exist as
        // text, so they go in as text.
        const auto pointer = Pick(0, 3) == 0 ? AnyValue(root) : AnyOf(root, &json::is_number);
        const std::string marker = "\"@@number@@\"";
        root[pointer] = "@@number@@";
        std::string text = root.dump();
        text.replace(text.find(marker), marker.size(), numbers[Pick(0, std::size(numbers) - 1)]);
        return text;
    }

    std::string ReplaceText(json& root, const std::string& text) {
        const auto pointer = AnyOf(root, &json::is_string);
        root[pointer] = text;
        return root.dump();
    }

    std::string Nest(json& root) {
        const size_t depth = Pick(1, 4) == 1 ? 100000 : Pick(100, 5000);
        const bool arrays = Pick(0, 1) == 0;
        std::string nested;
        for (size_t level = 0; level < depth; ++level) {
            nested += arrays ? "[" : "{\"n\":";
        }
        nested += "1";
        for (size_t level = 0; level < depth; ++level) {
            nested += arrays ? "]" : "}";
        }
        const auto pointer = AnyValue(root);
        const std::string marker = "\"@@nested@@\"";
        root[pointer] = "@@nested@@";
        std::string text = root.dump();
        text.replace(text.find(marker), marker.size(), nested);
        return text;
    }

    std::string InvalidUtf8() {
        static const char* const sequences[] = {
            "\x80", "\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xFF\xFE", "\xE2\x82"};
        return sequences[Pick(0, std::size(sequences) - 1)];
    }

    // Raw bytes inside a string value, or anywhere in the text.
    std::string InsertBytes(json& root, const std::string& bytes) {
        if (Pick(0, 2) > 0) {
            const auto pointer = AnyOf(root, &json::is_string);
            const std::string marker = "@@bytes@@";
            std::string value = root.at(pointer).get<std::string>();
            value.insert(Pick(0, value.size()), marker);
            root[pointer] = value;
            std::string text = root.dump();
            text.replace(text.find(marker), marker.size(), bytes);
            return text;
        }
        std::string text = root.dump();
        text.insert(Pick(0, text.size()), bytes);
        return text;
    }

    // The library keeps the last of duplicated keys: a second member of the
    // same name with another type or value goes into a random object.
    std::string DuplicateKey(json& root) {
        const auto pointer = AnyValue(root);
        json& parent = root.at(pointer.parent_pointer());
        if (!parent.is_object()) {
            return SwapType(root);
        }
        const std::string key = pointer.back();
        // Keys are written in byte order: "@" goes before every key of the
        // configuration, "~" after, so the duplicate comes first or last.
        const std::string name = Pick(0, 1) ? "@@duplicate@@" : "~~duplicate~~";
        const std::string marker = "\"" + name + "\":0";
        parent[name] = 0;
        std::string text = root.dump();
        const std::string duplicate = json(key).dump() + ":" + OtherType(parent[key]).dump();
        text.replace(text.find(marker), marker.size(), duplicate);
        return text;
    }

    // Rule texts the checks cannot evaluate: bare or unknown roots, numbers
    // that do not read, path macros that reach outside every folder.
    std::string RefusedRuleValue(json& root) {
        static const char* const registry[] = {
            "hklm\\software\\",
            "hkey_nowhere\\software\\x",
            "hklm\\software\\microsoft\\windows\\currentversion\\programfilesdir\\abc",
            "hklm\\software\\microsoft\\windows\\currentversion\\programfilesdir\\99999999999999999"
            "999",
            "\\\\\\\\",
            "hklm",
            "",
            "{commonpf}\\..\\..\\..\\Windows\\System32",
        };
        static const char* const files[] = {
            "{commonpf}\\..\\..\\..\\Windows\\System32\\kernel32.dll",
            "\\\\?\\C:\\",
            "{nosuchmacro}",
            "C:\\CON\\x",
            "{localappdata}{localappdata}{localappdata}",
            "::::"};
        json& ps = root["o"][Pick(0, root["o"].size() - 1)]["ps"];
        switch (Pick(0, 3)) {
            case 0: {
                static const char* const keys[] = {"r", "ir", "rvn", "rvd", "eapp", "iapp"};
                ps[keys[Pick(0, std::size(keys) - 1)]] =
                    json::array({registry[Pick(0, std::size(registry) - 1)]});
                break;
            }
            case 1:
                ps[Pick(0, 1) ? "fe" : "ife"] = json::array({files[Pick(0, std::size(files) - 1)]});
                break;
            case 2: {
                static const char* const roots[] = {"hkcu", "", "hkey_local_machine",
                                                    "hkey_current_user\\x"};
                static const char* const types[] = {"REG_SZ", "REG_DWORD", "REG_BINARY", ""};
                ps["cmdu"] =
                    json::array({{{"utr", roots[Pick(0, 3)]},
                                  {"utk", "software\\microsoft\\windows\\currentversion"},
                                  {"utvn", Pick(0, 1) ? "programfilesdir" : "nosuchvalue"},
                                  {"utvt", types[Pick(0, 3)]},
                                  {"umd", static_cast<int>(Pick(0, 1)) ? -1 : 2147483647}}});
                break;
            }
            default:
                ps["a"] = json::array({Pick(0, 1) ? "" : "\\\\..\\*?.exe"});
                break;
        }
        return root.dump();
    }

    std::mt19937 random;
};

struct CaseResult {
    Outcome outcome = Outcome::ErrorPage;
    std::string failure;  // empty: the case ended in an allowed outcome
};

// What the loading worker and its page would do with the response text.
CaseResult RunCase(ConfigurationGuard& config, int wizardType, const std::string& text) {
    config->wizardType = wizardType;
    config->productTitle = CString();
    config->cu = CString();
    config->ch = CString();
    config->countryCode.clear();
    config->publisherId.clear();
    config->maxOffers = 0;

    // The page shows the error page for any failure in the DLM flavour and no
    // offers in the ISV flavour.
    const Outcome failed =
        wizardType == ConfigurationManager::kWizardDlm ? Outcome::ErrorPage : Outcome::NoOffers;
    CaseResult result;
    try {
        auto document = ParseConfigurationText(text);
        bool unusable = false;
        const auto offers = ReadConfigurationResponse(*document, unusable);
        if (unusable) {
            result.outcome = failed;
        } else if (offers.empty()) {
            result.outcome = Outcome::NoOffers;
        } else {
            result.outcome = Outcome::OffersShown;
            if (offers.size() > 3) {
                result.failure = "more offers shown than the response holds";
            }
            for (const auto& offer : offers) {
                if (!offer || offer->isMain) {
                    result.failure = "a shown offer that is no offer";
                }
            }
            if (wizardType == ConfigurationManager::kWizardDlm &&
                (config->productTitle.IsEmpty() || config->cu.IsEmpty())) {
                result.failure = "offers shown without a product";
            }
        }
    } catch (const std::exception&) {
        result.outcome = failed;
    } catch (...) {
        // The worker's future carries this too, but nothing in the path
        // throws anything but standard exceptions: something is wrong.
        result.outcome = failed;
        result.failure = "an exception of no standard type";
    }
    return result;
}

unsigned long FromEnvironment(const char* name, unsigned long fallback) {
    const char* value = std::getenv(name);
    return value && *value ? std::strtoul(value, nullptr, 10) : fallback;
}

class ConfigurationMutationTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Rejections report events: with no analytics address they fail at
        // once instead of waiting for a service.
        config->analyticsUrl = CString();
        config->GetMachineId();
        config->GetRequestTimestamp();
    }
    void TearDown() override { config->wizardType = savedType; }

    ConfigurationGuard config;
    int savedType = ConfigurationManager::GetInstance()->wizardType;
};

TEST_F(ConfigurationMutationTest, EveryMutatedConfigurationEndsInAnAllowedOutcome) {
    const unsigned seed = FromEnvironment("TALLWICK_MUTATION_SEED", kDefaultSeed);
    const int cases = static_cast<int>(FromEnvironment("TALLWICK_MUTATIONS", kDefaultCases));
    const long only = static_cast<long>(FromEnvironment("TALLWICK_MUTATION_CASE", ~0ul));
    const int categories = static_cast<int>(Category::Count);

    int counts[static_cast<int>(Category::Count)][static_cast<int>(Outcome::Count)] = {};
    double longestMs = 0;
    double categoryMs[static_cast<int>(Category::Count)] = {};
    int failures = 0;
    const auto started = std::chrono::steady_clock::now();
    // A replayed case runs alone, whatever the count.
    const int end = only != static_cast<long>(~0ul) ? static_cast<int>(only) + 1 : cases;
    for (int index = 0; index < end; ++index) {
        if (only != static_cast<long>(~0ul) && index != only) {
            continue;
        }
        // Each case has its own generator, so one index replays alone.
        Mutator mutator(seed + static_cast<unsigned>(index));
        const Category category = static_cast<Category>(index % categories);
        const int wizardType = (index / categories) % 2 == 0 ? ConfigurationManager::kWizardDlm
                                                             : ConfigurationManager::kWizardIsv;
        const std::string text = mutator.Make(wizardType, category);

        const auto caseStarted = std::chrono::steady_clock::now();
        const CaseResult result = RunCase(config, wizardType, text);
        const auto took = std::chrono::steady_clock::now() - caseStarted;
        const double tookMs = std::chrono::duration<double, std::milli>(took).count();
        longestMs = std::max(longestMs, tookMs);
        categoryMs[static_cast<int>(category)] += tookMs;
        ++counts[static_cast<int>(category)][static_cast<int>(result.outcome)];

        std::string failure = result.failure;
        if (failure.empty() && took > kCaseTimeLimit) {
            failure = "the case took longer than the time limit (a hang)";
        }
        if (!failure.empty()) {
            ++failures;
            ADD_FAILURE() << "case " << index << " (seed " << seed << ", " << CategoryName(category)
                          << ", "
                          << (wizardType == ConfigurationManager::kWizardDlm ? "DLM" : "ISV")
                          << ", at " << (mutator.where.empty() ? "the text" : mutator.where)
                          << "): " << failure << "; replay with TALLWICK_MUTATION_SEED=" << seed
                          << " TALLWICK_MUTATION_CASE=" << index;
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    std::printf("\nconfiguration mutation run: seed %u, %d cases, %.1f s, longest case %.0f ms\n",
                seed, cases, seconds, longestMs);
    std::printf("%-22s %7s %11s %10s %13s %9s\n", "category", "cases", "error page", "no offers",
                "offers shown", "ms/case");
    int total[static_cast<int>(Outcome::Count)] = {};
    for (int category = 0; category < categories; ++category) {
        const int* row = counts[category];
        const int inCategory = row[0] + row[1] + row[2];
        std::printf("%-22s %7d %11d %10d %13d %9.1f\n",
                    CategoryName(static_cast<Category>(category)), inCategory, row[0], row[1],
                    row[2], inCategory ? categoryMs[category] / inCategory : 0.0);
        for (int outcome = 0; outcome < static_cast<int>(Outcome::Count); ++outcome) {
            total[outcome] += row[outcome];
        }
    }
    std::printf("%-22s %7d %11d %10d %13d\n", "all", total[0] + total[1] + total[2], total[0],
                total[1], total[2]);
    std::printf("failed cases: %d\n", failures);
    std::fflush(stdout);
}

// Cases an earlier run found, kept as they were found.
TEST_F(ConfigurationMutationTest, CasesFoundByEarlierRunsStayFixed) {
    const struct {
        const char* label;
        int wizardType;
        std::function<void(json&)> mutate;
        Outcome outcome;
    } cases[] = {
        // Seed 20261210, case 14: the offer identifier goes into the "pxl"
        // placeholder's base-62 text, whose conversion is quadratic; a
        // megabyte held the worker for minutes.
        {"offer identifier of a mebibyte", ConfigurationManager::kWizardIsv,
         [](json& root) { root["o"][1]["ad"]["o"] = std::string(1 << 20, 'x'); },
         Outcome::OffersShown},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        json root = BaseConfiguration(c.wizardType);
        c.mutate(root);
        const auto started = std::chrono::steady_clock::now();
        const CaseResult result = RunCase(config, c.wizardType, root.dump());
        EXPECT_LT(std::chrono::steady_clock::now() - started, kCaseTimeLimit);
        EXPECT_EQ(result.failure, "");
        EXPECT_EQ(static_cast<int>(result.outcome), static_cast<int>(c.outcome));
    }
}

}  // namespace
