#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "framework/CString.h"

namespace tinyxml2 {
class XMLDocument;
}
class CComboBox;
class CWnd;
class IPage;

using TextTable = std::map<std::string, std::string>;

// Parses the LOCALE resource with that id into the document; reports a
// failure with a message box and returns false.
bool LoadLocaleDocument(int resourceId, tinyxml2::XMLDocument& document);

// Native name of the language of a locale ("English", "español"); the locale
// name itself when the platform does not know it.
CString LocaleDisplayName(const CString& localeName);

// Replaces each {KEY} in the texts by the text of KEY, expanded in turn.
// References to missing keys stay as written; so does a reference that would
// lead back to a text already being expanded, which ends cycles.
void ExpandReferences(TextTable& texts);

// The texts of the wizard in the language the user chose. One instance per
// run, shared by the main dialog and every page.
class LanguageManager {
public:
    // The owner is the window of the message boxes (may be null).
    explicit LanguageManager(CWnd* owner = nullptr) : owner(owner) {}
    LanguageManager(const LanguageManager&) = delete;
    LanguageManager& operator=(const LanguageManager&) = delete;

    // LOCALE resources of the current wizard type, in the order they are listed.
    std::vector<int> GetLocaleResourceIds();
    // Lists the languages in the combo box and selects the user's.
    void FillLanguageCombo(CComboBox& combo);
    // Makes the language of that display name current; every page re-applies
    // its texts. False when the name is unknown or its document fails.
    bool SetLanguage(const CString& displayName);
    // Text of the key in the current language; empty when there is none.
    CString GetText(const std::string& key) const;
    // Rebuilds the table from a locale document (root element "Locale").
    bool LoadStrings(const tinyxml2::XMLDocument& document);

    void AddPage(IPage* page) { pages.push_back(page); }
    void RemovePage(IPage* page);
    const std::vector<IPage*>& Pages() const { return pages; }
    const TextTable& Texts() const { return texts; }

private:
    std::unordered_map<std::wstring, int> resourceByName;
    std::unordered_map<std::wstring, std::wstring> localeByName;
    std::vector<IPage*> pages;
    TextTable texts;
    CWnd* owner;
};
