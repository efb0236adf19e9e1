#include <windows.h>

#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <memory>
#include <string>

#include "config/ConfigurationManager.h"
#include "framework/CComboBox.h"
#include "localisation/LanguageManager.h"
#include "localisation/UserLocale.h"
#include "support/MessageBoxRecorder.h"

namespace {

std::string Narrow(const CString& text) {
    return WideToNarrow(text, CP_UTF8);
}

// A combo box in a hidden top-level window, torn down with the object.
class ComboHost {
public:
    ComboHost() {
        parent = CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr,
                                 nullptr, nullptr);
        HWND window = CreateWindowExW(0, L"ComboBox", L"", WS_CHILD | CBS_DROPDOWNLIST, 0, 0, 150,
                                      100, parent, nullptr, nullptr, nullptr);
        combo.Attach(window);
    }
    ~ComboHost() {
        combo.Detach();
        DestroyWindow(parent);
    }
    CComboBox combo;

private:
    HWND parent;
};

// Replaces the user's locale for the lifetime of the object.
class UserLocaleOverride {
public:
    UserLocaleOverride(const wchar_t* locale) {
        previous = SetUserLocaleHook([locale](std::wstring& name) {
            if (!locale) {
                return false;
            }
            name = locale;
            return true;
        });
    }
    ~UserLocaleOverride() { SetUserLocaleHook(std::move(previous)); }

private:
    UserLocaleHook previous;
};

bool LoadFromText(LanguageManager& manager, const char* xml) {
    tinyxml2::XMLDocument document(true, tinyxml2::PRESERVE_WHITESPACE);
    EXPECT_EQ(document.Parse(xml), tinyxml2::XML_SUCCESS) << xml;
    return manager.LoadStrings(document);
}

class ProductTitle {
public:
    explicit ProductTitle(const wchar_t* title)
        : saved(ConfigurationManager::GetInstance()->productTitle) {
        ConfigurationManager::GetInstance()->productTitle = title;
    }
    ~ProductTitle() { ConfigurationManager::GetInstance()->productTitle = saved; }

private:
    CString saved;
};

}  // namespace

TEST(ExpandReferences, ResolvesKnownKeysAndLeavesTheRestAsWritten) {
    struct Case {
        const char* name;
        TextTable texts;
        const char* key;
        const char* expected;
    };
    const Case cases[] = {
        {"simple", {{"A", "x{B}y"}, {"B", "b"}}, "A", "xby"},
        {"nested through later key", {{"A", "{Z}"}, {"Z", "[{Y}]"}, {"Y", "y"}}, "A", "[y]"},
        {"repeated", {{"A", "{B}{B}"}, {"B", "b"}}, "A", "bb"},
        {"unknown key", {{"A", "x{NOPE}y{B}"}, {"B", "b"}}, "A", "x{NOPE}yb"},
        {"unclosed brace", {{"A", "x{B"}, {"B", "b"}}, "A", "x{B"},
        {"brace inside name", {{"A", "{x{B}"}, {"B", "b"}}, "A", "{x{B}"},
        {"empty name", {{"A", "{}"}, {"", "e"}}, "A", "e"},
        {"self reference", {{"A", "x{A}y"}}, "A", "x{A}y"},
        {"two-text cycle", {{"A", "a{B}"}, {"B", "b{A}"}}, "A", "ab{A}"},
        {"two-text cycle, other end", {{"A", "a{B}"}, {"B", "b{A}"}}, "B", "ba{B}"},
        {"three-text cycle", {{"A", "{B}"}, {"B", "{C}"}, {"C", "c{A}"}}, "C", "c{C}"},
        {"cycle next to a good reference", {{"A", "{A}{B}"}, {"B", "b"}}, "A", "{A}b"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        TextTable texts = test.texts;
        ExpandReferences(texts);
        EXPECT_EQ(texts.at(test.key), test.expected);
    }
}

// Texts that refer to the next one twice, forty levels deep, would expand to
// about a tebibyte; the expansion stops at its limit with the text it has,
// and the other texts of the table still expand in full.
TEST(ExpandReferences, AnExponentialDocumentEndsWithTheTextItHas) {
    TextTable texts;
    const int levels = 40;
    for (int level = 0; level < levels; ++level) {
        const std::string next = "L" + std::to_string(level + 1);
        texts["L" + std::to_string(level)] = "ab{" + next + "}{" + next + "}";
    }
    texts["L" + std::to_string(levels)] = "leaf";
    texts["PLAIN"] = "x{L39}y";
    texts["WIDE"] = "{L0}{L0}{L0}{L0}{L0}{L0}{L0}{L0}";

    ExpandReferences(texts);

    for (const auto& entry : texts) {
        SCOPED_TRACE(entry.first);
        EXPECT_LE(entry.second.size(), 64u * 1024u);
    }
    EXPECT_EQ(texts.at("PLAIN"), "xableafleafy");
    EXPECT_EQ(texts.at("L38"), "abableafleafableafleaf");
    // The top text keeps a prefix of its full expansion.
    EXPECT_EQ(texts.at("L0").compare(0, 6, "ababab"), 0);
    EXPECT_GT(texts.at("L0").size(), 1000u);
}

TEST(LanguageManager, CyclicDocumentLoadsAndKeepsTheUnresolvedReference) {
    LanguageManager manager;
    ASSERT_TRUE(LoadFromText(manager,
                             "<?xml version='1.0' encoding='utf-8'?><Locale name=\"xx\">"
                             "<LOOP>again {LOOP}</LOOP><PING>ping {PONG}</PING>"
                             "<PONG>pong {PING}</PONG><OK>fine</OK></Locale>"));
    EXPECT_EQ(Narrow(manager.GetText("LOOP")), "again {LOOP}");
    EXPECT_EQ(Narrow(manager.GetText("PING")), "ping pong {PING}");
    EXPECT_EQ(Narrow(manager.GetText("PONG")), "pong ping {PONG}");
    EXPECT_EQ(Narrow(manager.GetText("OK")), "fine");
}

TEST(LanguageManager, ProductTitleComesFromTheConfigurationAtEachLoad) {
    const char* xml =
        "<?xml version='1.0' encoding='utf-8'?><Locale name=\"xx\">"
        "<!-- a comment --><WELCOME>Get {PRODUCT_TITLE} now</WELCOME></Locale>";
    LanguageManager manager;
    {
        ProductTitle title(L"");
        ASSERT_TRUE(LoadFromText(manager, xml));
        EXPECT_EQ(Narrow(manager.GetText("WELCOME")), "Get  now");
        EXPECT_TRUE(manager.GetText("PRODUCT_TITLE").IsEmpty());
    }
    {
        ProductTitle title(L"Caf\u00e9 Viewer");
        ASSERT_TRUE(LoadFromText(manager, xml));
        EXPECT_EQ(Narrow(manager.GetText("WELCOME")), "Get Caf\xc3\xa9 Viewer now");
    }
}

TEST(LanguageManager, BrokenDocumentsAreReportedAndKeepWhatWasLoaded) {
    MessageBoxRecorder boxes;
    LanguageManager manager;
    ASSERT_TRUE(LoadFromText(manager, "<Locale name=\"xx\"><A>first</A></Locale>"));

    EXPECT_FALSE(LoadFromText(manager, "<Other><A>x</A></Other>"));
    EXPECT_EQ(Narrow(manager.GetText("A")), "first");

    EXPECT_FALSE(LoadFromText(manager, "<Locale name=\"xx\"><A>second</A><B/><C>c</C></Locale>"));
    EXPECT_EQ(Narrow(manager.GetText("A")), "second");
    EXPECT_TRUE(manager.GetText("C").IsEmpty());

    const auto shown = boxes.Boxes();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, L"Failed to parse language xml file, error code: No Locale element");
    EXPECT_EQ(shown[1].text,
              L"Failed to parse language xml file, error code: No name or text attribute");
}

TEST(LanguageManager, GetTextIsEmptyForMissingAndEmptyTexts) {
    ProductTitle title(L"");
    LanguageManager manager;
    EXPECT_TRUE(manager.GetText("BUTTON_NEXT").IsEmpty());  // nothing loaded yet
    ASSERT_TRUE(LoadFromText(manager, "<Locale name=\"xx\"><A>a</A></Locale>"));
    EXPECT_EQ(Narrow(manager.GetText("A")), "a");
    EXPECT_TRUE(manager.GetText("MISSING").IsEmpty());
    EXPECT_TRUE(manager.GetText("a").IsEmpty());  // keys are case-sensitive
    EXPECT_TRUE(manager.GetText("PRODUCT_TITLE").IsEmpty());
    EXPECT_TRUE(manager.Texts().count("PRODUCT_TITLE"));
}

TEST(LanguageManager, PreselectsTheUsersLanguage) {
    struct Case {
        const wchar_t* userLocale;  // null: the platform call fails
        int expectedIndex;
    };
    const Case cases[] = {{L"en-US", 0}, {L"es-ES", 1}, {L"es-MX", 1},
                          {L"fr-FR", 0}, {L"de-DE", 0}, {nullptr, 0}};
    for (const Case& test : cases) {
        SCOPED_TRACE(test.userLocale ? Narrow(test.userLocale) : "failure");
        UserLocaleOverride locale(test.userLocale);
        ComboHost host;
        LanguageManager manager;
        manager.FillLanguageCombo(host.combo);
        ASSERT_EQ(host.combo.GetCount(), 2);
        EXPECT_EQ(Narrow(host.combo.GetLBText(0)), "English");
        EXPECT_EQ(Narrow(host.combo.GetLBText(1)), "espa\xc3\xb1ol");
        EXPECT_EQ(host.combo.GetCurSel(), test.expectedIndex);
    }
}

TEST(LanguageManager, SetLanguageSwitchesTextsAndRecordsTheChoice) {
    UserLocaleOverride locale(L"en-US");
    ComboHost host;
    LanguageManager manager;
    manager.FillLanguageCombo(host.combo);
    auto config = ConfigurationManager::GetInstance();

    ASSERT_TRUE(manager.SetLanguage(host.combo.GetLBText(1)));
    EXPECT_EQ(Narrow(manager.GetText("BUTTON_NEXT")), "SIGUIENTE");
    EXPECT_EQ(Narrow(config->localeName), "es");
    EXPECT_EQ(Narrow(manager.GetText("SPLASH_TEXT")),
              "Para continuar, selecciona tu idioma preferido y haz clic en \"SIGUIENTE\".");

    ASSERT_TRUE(manager.SetLanguage(L"English"));
    EXPECT_EQ(Narrow(config->localeName), "en_US");
    EXPECT_EQ(Narrow(config->languageName), "English");
    EXPECT_EQ(Narrow(manager.GetText("SPLASH_TEXT")),
              "To continue, please select your preferred language, and click \"Next\".");
    EXPECT_EQ(Narrow(manager.GetText("PAGE_FINISH_TITLE")),
              "Thank you.\r\nYou have successfully downloaded .");

    EXPECT_FALSE(manager.SetLanguage(L"Klingon"));
    EXPECT_EQ(Narrow(config->languageName), "English");
    EXPECT_EQ(Narrow(manager.GetText("BUTTON_NEXT")), "Next");
}

TEST(LanguageManager, UnknownWizardTypeListsNoLanguage) {
    MessageBoxRecorder boxes;
    auto config = ConfigurationManager::GetInstance();
    const int saved = config->wizardType;
    config->wizardType = 0;
    ComboHost host;
    LanguageManager manager;
    manager.FillLanguageCombo(host.combo);
    config->wizardType = saved;

    EXPECT_EQ(host.combo.GetCount(), 0);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, L"Unknown wizard type (language manager");
    EXPECT_FALSE(manager.SetLanguage(L"English"));
}

TEST(LanguageManager, BrokenOverrideDocumentIsReportedAndAddsNothing) {
    // Test programs carry the override resource of a build without the BT
    // variant, which holds no XML.
    MessageBoxRecorder boxes;
    auto config = ConfigurationManager::GetInstance();
    config->btVariant = true;
    LanguageManager manager;
    const bool loaded = LoadFromText(manager, "<Locale name=\"xx\"><A>a</A></Locale>");
    config->btVariant = false;

    EXPECT_TRUE(loaded);
    EXPECT_EQ(manager.Texts().size(), 2u);  // A and PRODUCT_TITLE
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text.rfind(L"Failed to parse language xml file, error code: ", 0),
              0u);
}
