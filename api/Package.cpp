#include "api/Package.h"

#include <windows.h>

#include "api/Encoding.h"
#include "config/ConfigurationManager.h"
#include "config/PathMacros.h"

namespace {

using nlohmann::json;

// Integers, unsigned integers, floating point (truncated) and booleans (0 or
// 1) are numbers here; anything else is the library's type error 302. The
// library's own conversion refuses booleans for its exact 64-bit types, so
// they are taken apart first.
template <typename T>
T ToNumber(const json& value) {
    if (value.is_boolean()) {
        return value.get<bool>() ? T(1) : T(0);
    }
    return value.get<T>();
}

template <typename T>
T NumberMember(const json& object, const char* key) {
    return object.contains(key) ? ToNumber<T>(object.at(key)) : T();
}

std::string TextMember(const json& object, const char* key) {
    return object.at(key).get<std::string>();
}

std::vector<CString> Utf8List(const json& ps, const char* key) {
    std::vector<CString> list;
    if (ps.is_object() && ps.contains(key)) {
        for (const json& element : ps.at(key)) {
            list.emplace_back(Utf8ToWide(element.get<std::string>()));
        }
    }
    return list;
}

std::vector<CString> PathList(const json& ps, const char* key, const PathMacroTable& macros) {
    std::vector<CString> list;
    if (ps.is_object() && ps.contains(key)) {
        for (const json& element : ps.at(key)) {
            list.push_back(ExpandPathMacros(CString(element.get<std::string>().c_str()), macros));
        }
    }
    return list;
}

}  // namespace

Package::Package(const SignedRequest& request, const json& offer, bool isMain,
                 const std::string& defaultC, int32_t index)
    : signedRequest(request), isMain(isMain), c(defaultC), index(index) {
    auto config = ConfigurationManager::GetInstance();
    const std::string machineId = config->machineId;
    const std::string timestamp = config->requestTimestamp;

    // emplace keeps the first value given for a name.
    if (!machineId.empty()) {
        placeholders.emplace("userid", machineId);
    }
    if (!timestamp.empty()) {
        placeholders.emplace("sessionid", timestamp);
    }
    if (!config->countryCode.empty()) {
        placeholders.emplace("cc", config->countryCode);
    }
    if (!config->publisherId.empty()) {
        placeholders.emplace("pubid", config->publisherId);
    }
    if (!config->cb.empty()) {
        placeholders.emplace("ispb", config->cb);
    }
    placeholders.emplace("aflt", AffiliateForCountry(config->countryCode));

    const json& ad = offer.at("ad");
    f = TextMember(ad, "f");
    o = TextMember(ad, "o");

    std::string pxl;
    try {
        pxl = Base62Encode(machineId + "|" + o + "|" + timestamp);
    } catch (const std::exception&) {
        pxl.clear();
    }
    placeholders.emplace("pxl", pxl);
    placeholders.emplace("of", f);

    const json& ps = offer.at("ps");
    i = ExpandPlaceholders(TextMember(ps, "i"));
    dn = ExpandPlaceholders(TextMember(ps, "dn"));
    u = ExpandPlaceholders(TextMember(ps, "u"));
    if (ps.contains("p")) {
        p = ExpandPlaceholders(TextMember(ps, "p"));
    }
    if (ps.contains("cp")) {
        cp = ExpandPlaceholders(TextMember(ps, "cp"));
    }
    if (ps.contains("ctu")) {
        ctu = ExpandPlaceholders(TextMember(ps, "ctu"));
    }
    if (ps.contains("v")) {
        v = ToNumber<int32_t>(ps.at("v"));
    }
    if (ps.contains("exc")) {
        exc = ps.at("exc").get<bool>();
    }
    if (ps.contains("c")) {
        c = ExpandPlaceholders(TextMember(ps, "c"));
    }
    disk = NumberMember<uint64_t>(ps, "disk");
    ram = NumberMember<uint64_t>(ps, "ram");
    cpu = NumberMember<uint64_t>(ps, "cpu");
    ov = NumberMember<int32_t>(ps, "ov");
    if (ps.contains("pv")) {
        pv = TextMember(ps, "pv");
    }
    if (ps.contains("win64")) {
        win64 = ps.at("win64").get<bool>();
    }
    if (ps.contains("x")) {
        ApplyPreset(ToNumber<int64_t>(ps.at("x")));
    }

    const PathMacroTable macros = config->GetPathMacros();
    fe = PathList(ps, "fe", macros);
    ife = PathList(ps, "ife", macros);
    if (ps.is_object() && ps.contains("a")) {
        for (const json& element : ps.at("a")) {
            a.push_back(element.get<std::string>());
        }
    }
    r = Utf8List(ps, "r");
    ir = Utf8List(ps, "ir");
    rvn = Utf8List(ps, "rvn");
    rvd = Utf8List(ps, "rvd");
    if (ps.is_object() && ps.contains("cmdu")) {
        for (const json& element : ps.at("cmdu")) {
            CmduRecord record;
            record.utr = Utf8ToWide(TextMember(element, "utr"));
            record.utk = Utf8ToWide(TextMember(element, "utk"));
            record.utvn = Utf8ToWide(TextMember(element, "utvn"));
            record.utvt = Utf8ToWide(TextMember(element, "utvt"));
            record.umd = ToNumber<int32_t>(element.at("umd"));
            if (element.contains("utms")) {
                record.utms = element.at("utms").get<bool>();
            }
            cmdu.push_back(std::move(record));
        }
    }
    eapp = Utf8List(ps, "eapp");
    iapp = Utf8List(ps, "iapp");

    BuildAnalyticsBody();
}

Package::Package(const SignedRequest& request, bool isMain, const CString& o, const CString& f,
                 const CString& dn, const CString& c, int32_t index)
    : signedRequest(request),
      isMain(isMain),
      dn(WideToNarrow(dn, CP_THREAD_ACP)),
      o(WideToNarrow(o, CP_THREAD_ACP)),
      f(WideToNarrow(f, CP_THREAD_ACP)),
      c(WideToNarrow(c, CP_THREAD_ACP)),
      index(index) {
    BuildAnalyticsBody();
}

Package::~Package() {
    WaitForPendingEvents();
}

void Package::ResetAsMain(const SignedRequest& request, const CString& newO, const CString& newF,
                          const CString& newDn, const CString& newC) {
    std::lock_guard<std::mutex> lock(bodyMutex);
    signedRequest = request;
    isMain = true;
    index = 0;
    o = WideToNarrow(newO, CP_THREAD_ACP);
    f = WideToNarrow(newF, CP_THREAD_ACP);
    dn = WideToNarrow(newDn, CP_THREAD_ACP);
    c = WideToNarrow(newC, CP_THREAD_ACP);
    BuildAnalyticsBody();
}

std::string Package::ExpandPlaceholders(const std::string& text) const {
    std::string result = text;
    for (const auto& entry : placeholders) {
        const std::string token = "{" + entry.first + "}";
        size_t position = 0;
        while ((position = result.find(token, position)) != std::string::npos) {
            result.replace(position, token.size(), entry.second);
            position += entry.second.size();
        }
    }
    return result;
}

void Package::ApplyPreset(int64_t preset) {
    switch (preset) {
        case 1:
            disk = 2500;
            ram = 250;
            break;
        case 2:
            requiresChrome = true;
            checksIeVersion = true;
            break;
        case 3:
            disk = 512;
            ram = 1536;
            cpu = 1500;
            break;
        case 10:
            win64 = true;
            break;
        case 12:
            requiresChrome = true;
            break;
        case 13:
            excludesChrome = true;
            break;
        default:
            break;
    }
}

void Package::BuildAnalyticsBody() {
    json body = signedRequest.body;
    if (isMain) {
        body["5"] = body.contains("22") ? body["22"] : json("");
        body["10"] = 1;
        body["18"] = "";
    } else {
        body["5"] = o;
        body["10"] = 2;
        body["16"] = c;
        body["17"] = std::to_string(static_cast<int64_t>(index) + 1);
        body["18"] = f;
    }
    analyticsBody = std::move(body);
}
