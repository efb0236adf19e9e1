#include "localisation/LanguageManager.h"

#include <tinyxml2.h>

#include <algorithm>
#include <set>

#include "api/Encoding.h"
#include "config/ConfigurationManager.h"
#include "framework/CComboBox.h"
#include "framework/MessageBox.h"
#include "localisation/UserLocale.h"
#include "pages/IPage.h"

namespace {

const wchar_t kParseError[] = L"Failed to parse language xml file, error code: %S";
const wchar_t kLocaleType[] = L"LOCALE";
const int kOverrideDocument = 108;

void Report(HWND owner, const CString& text) {
    ShowMessageBox(owner, text, L"", MB_OK);
}

void ReportParseError(HWND owner, const char* detail) {
    CString text;
    text.Format(kParseError, detail ? detail : "");
    Report(owner, text);
}

// Text content of an element: its first child after any comments, when that
// child is text.
const char* ElementText(const tinyxml2::XMLElement& element) {
    for (const tinyxml2::XMLNode* child = element.FirstChild(); child;
         child = child->NextSibling()) {
        if (child->ToComment()) {
            continue;
        }
        return child->ToText() ? child->Value() : nullptr;
    }
    return nullptr;
}

// A document whose texts refer to each other several times a level grows
// exponentially when expanded. No real text comes near these limits: an
// expansion that reaches one stops there, and the text keeps what it has,
// its remaining references as written.
const size_t kMaxExpandedLength = 64 * 1024;
const size_t kMaxExpansionWork = 4 * 1024 * 1024;
const size_t kMaxExpansionDepth = 64;

// What one entry's expansion may still spend, shared by all its levels.
struct ExpansionBudget {
    size_t work = kMaxExpansionWork;
    bool exhausted = false;
};

// Expands the references of one text. `active` holds the keys whose text is
// being expanded further up, so a reference back to one of them stays as
// written instead of looping forever.
std::string Expand(const std::string& text, const TextTable& raw, std::set<std::string>& active,
                   ExpansionBudget& budget) {
    std::string result = text;
    size_t position = 0;
    while (!budget.exhausted) {
        const size_t open = result.find('{', position);
        if (open == std::string::npos) {
            break;
        }
        const size_t close = result.find('}', open + 1);
        if (close == std::string::npos) {
            break;
        }
        const std::string name = result.substr(open + 1, close - open - 1);
        auto found = raw.find(name);
        if (found == raw.end() || active.count(name)) {
            position = close + 1;
            continue;
        }
        if (active.size() >= kMaxExpansionDepth) {
            budget.exhausted = true;
            break;
        }
        active.insert(name);
        const std::string inserted = Expand(found->second, raw, active, budget);
        active.erase(name);
        const size_t grown = result.size() - (close - open + 1) + inserted.size();
        // An insertion costs what copying the text it makes costs, and at
        // least one unit, so even references to empty texts cannot spin.
        const size_t cost = grown + 1;
        if (grown > kMaxExpandedLength || cost > budget.work) {
            budget.exhausted = true;
            break;
        }
        budget.work -= cost;
        result.replace(open, close - open + 1, inserted);
        // The inserted text is already expanded as far as it can be (or as
        // far as the budget allowed, which then ends the whole expansion).
        position = open + inserted.size();
    }
    return result;
}

}  // namespace

bool LoadLocaleDocument(int resourceId, tinyxml2::XMLDocument& document) {
    HMODULE module = ::GetModuleHandleW(nullptr);
    HRSRC info = ::FindResourceW(module, MAKEINTRESOURCEW(resourceId), kLocaleType);
    if (!info) {
        CString text;
        text.Format(L"Failed to find resource with id: %d", resourceId);
        Report(nullptr, text);
        return false;
    }
    HGLOBAL loaded = ::LoadResource(module, info);
    const char* bytes = loaded ? static_cast<const char*>(::LockResource(loaded)) : nullptr;
    if (!bytes) {
        CString text;
        text.Format(L"Failed to load resource with id: %d", resourceId);
        Report(nullptr, text);
        return false;
    }
    if (document.Parse(bytes, ::SizeofResource(module, info)) != tinyxml2::XML_SUCCESS) {
        ReportParseError(nullptr, document.ErrorStr());
        return false;
    }
    return true;
}

CString LocaleDisplayName(const CString& localeName) {
    wchar_t buffer[85] = {};
    if (::GetLocaleInfoEx(localeName, LOCALE_SNATIVELANGNAME, buffer, 85) > 0) {
        return buffer;
    }
    if (localeName.GetLength() > 2) {
        const CString language = localeName.Left(2);
        if (::GetLocaleInfoEx(language, LOCALE_SNATIVELANGNAME, buffer, 85) > 0) {
            return buffer;
        }
    }
    return localeName;
}

void ExpandReferences(TextTable& texts) {
    // Expansion works from the texts as written, so the order in which
    // entries are finished does not change any result.
    const TextTable raw = texts;
    for (auto& [key, text] : texts) {
        std::set<std::string> active{key};
        ExpansionBudget budget;
        text = Expand(raw.at(key), raw, active, budget);
    }
}

std::vector<int> LanguageManager::GetLocaleResourceIds() {
    switch (ConfigurationManager::GetInstance()->wizardType) {
        case ConfigurationManager::kWizardDlm:
            return {105, 106};
        case ConfigurationManager::kWizardIsv:
            return {101, 102};
        default:
            ShowMessageBox(owner ? owner->GetSafeHwnd() : nullptr,
                           L"Unknown wizard type (language manager", L"", MB_OK);
            return {};
    }
}

void LanguageManager::FillLanguageCombo(CComboBox& combo) {
    const std::vector<int> ids = GetLocaleResourceIds();
    resourceByName.clear();
    localeByName.clear();
    combo.ResetContent();

    CString userLanguage;
    std::wstring userLocale;
    if (GetUserLocaleName(userLocale)) {
        userLanguage = LocaleDisplayName(CString(userLocale));
    }
    if (userLanguage.IsEmpty()) {
        userLanguage = L"English";
    }

    int selected = 0;
    for (int id : ids) {
        tinyxml2::XMLDocument document(true, tinyxml2::PRESERVE_WHITESPACE);
        if (!LoadLocaleDocument(id, document)) {
            continue;
        }
        const tinyxml2::XMLElement* root = document.FirstChildElement("Locale");
        if (!root) {
            continue;
        }
        const char* name = root->Attribute("name");
        if (!name || !*name) {
            ReportParseError(owner ? owner->GetSafeHwnd() : nullptr, "No name attribute");
            continue;
        }
        const CString localeName = Utf8ToWide(name);
        const CString displayName = LocaleDisplayName(localeName);
        if (displayName == userLanguage) {
            selected = combo.GetCount();
        }
        combo.AddString(displayName);
        resourceByName[displayName.str()] = id;
        localeByName[displayName.str()] = localeName.str();
    }
    combo.SetCurSel(selected);

    if (ConfigurationManager::GetInstance()->btVariant) {
        combo.ShowWindow(SW_HIDE);
    }
}

bool LanguageManager::SetLanguage(const CString& displayName) {
    auto found = resourceByName.find(displayName.str());
    if (found == resourceByName.end()) {
        return false;
    }
    tinyxml2::XMLDocument document(true, tinyxml2::PRESERVE_WHITESPACE);
    if (!LoadLocaleDocument(found->second, document)) {
        return false;
    }
    LoadStrings(document);
    // A page may go away while another page applies its texts only through
    // the main dialog, which does not happen here; still work on a copy.
    const std::vector<IPage*> current = pages;
    for (IPage* page : current) {
        page->UpdateTexts();
    }
    auto config = ConfigurationManager::GetInstance();
    config->languageName = displayName;
    auto locale = localeByName.find(displayName.str());
    config->localeName = locale == localeByName.end() ? CString() : CString(locale->second);
    return true;
}

bool LanguageManager::LoadStrings(const tinyxml2::XMLDocument& document) {
    HWND ownerWindow = owner ? owner->GetSafeHwnd() : nullptr;
    const tinyxml2::XMLElement* root = document.FirstChildElement("Locale");
    if (!root) {
        ReportParseError(ownerWindow, "No Locale element");
        return false;
    }
    texts.clear();
    auto config = ConfigurationManager::GetInstance();
    texts["PRODUCT_TITLE"] = WideToNarrow(config->productTitle, CP_UTF8);

    if (config->btVariant) {
        tinyxml2::XMLDocument overrides(true, tinyxml2::PRESERVE_WHITESPACE);
        if (LoadLocaleDocument(kOverrideDocument, overrides)) {
            for (const tinyxml2::XMLElement* element = overrides.FirstChildElement(); element;
                 element = element->NextSiblingElement()) {
                const char* text = ElementText(*element);
                // An override without text would blank the key; skip it.
                if (text) {
                    texts[element->Name()] = text;
                }
            }
        }
    }

    for (const tinyxml2::XMLElement* element = root->FirstChildElement(); element;
         element = element->NextSiblingElement()) {
        const char* key = element->Name();
        const char* text = ElementText(*element);
        if (!key || !text) {
            ReportParseError(ownerWindow, "No name or text attribute");
            return false;
        }
        texts[key] = text;
    }
    ExpandReferences(texts);
    return true;
}

CString LanguageManager::GetText(const std::string& key) const {
    auto found = texts.find(key);
    if (found == texts.end() || found->second.empty()) {
        return CString();
    }
    std::wstring wide = Utf8ToWide(found->second);
    return CString(wide.c_str());  // ends at the first NUL, like the platform conversion
}

void LanguageManager::RemovePage(IPage* page) {
    pages.erase(std::remove(pages.begin(), pages.end(), page), pages.end());
}
