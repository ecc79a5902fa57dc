#include "toolkit/platform/win32/GdiplusFontFamily.h"

#include <map>
#include <mutex>
#include <vector>

namespace {

// Metric-compatible with Arial first, so texts keep their widths; then common sans faces of
// Windows and of the Linux systems wine runs on.
constexpr const wchar_t* kSimilarFaces[] = {
    L"Liberation Sans",
    L"Arimo",
    L"Helvetica",
    L"Nimbus Sans",
    L"Nimbus Sans L",
    L"FreeSans",
    L"Tahoma",
    L"Verdana",
    L"Segoe UI",
    L"Microsoft Sans Serif",
    L"DejaVu Sans",
    L"Noto Sans",
    L"Bitstream Vera Sans",
};

bool isUsable(const wchar_t* face) {
    if (!face || !*face) return false;
    const Gdiplus::FontFamily family(face);
    return family.GetLastStatus() == Gdiplus::Ok && family.IsAvailable() &&
           family.IsStyleAvailable(Gdiplus::FontStyleRegular);
}

std::wstring genericSansSerif() {
    const Gdiplus::FontFamily* generic = Gdiplus::FontFamily::GenericSansSerif();
    WCHAR name[LF_FACESIZE] = {};
    if (!generic || generic->GetLastStatus() != Gdiplus::Ok ||
        generic->GetFamilyName(name) != Gdiplus::Ok)
        return {};
    return name;
}

int CALLBACK collectFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD type, LPARAM faces) {
    // GDI+ draws outline faces only; '@' names are the vertical variants of East Asian faces.
    if ((type & TRUETYPE_FONTTYPE) && font->lfFaceName[0] != L'@')
        reinterpret_cast<std::vector<std::wstring>*>(faces)->push_back(font->lfFaceName);
    return 1;
}

// Installed faces that cover the Latin-1 texts the editor draws.
std::vector<std::wstring> latinFaces() {
    std::vector<std::wstring> faces;
    HDC screen = GetDC(nullptr);
    if (!screen) return faces;
    LOGFONTW query{};
    query.lfCharSet = ANSI_CHARSET;
    EnumFontFamiliesExW(screen, &query, collectFace, reinterpret_cast<LPARAM>(&faces), 0);
    ReleaseDC(nullptr, screen);
    return faces;
}

std::wstring resolve(const std::wstring& wanted) {
    if (isUsable(wanted.c_str())) return wanted;
    for (const wchar_t* face : kSimilarFaces)
        if (isUsable(face)) return face;
    // wine answers null here; Windows names Microsoft Sans Serif.
    const std::wstring generic = genericSansSerif();
    if (isUsable(generic.c_str())) return generic;
    for (const std::wstring& face : latinFaces())
        if (isUsable(face.c_str())) return face;
    return {};
}

} // namespace

std::unique_ptr<Gdiplus::FontFamily> installedFontFamily(const std::string& name) {
    // Font names are 8-bit Latin-1 text, one UTF-16 unit per byte.
    std::wstring wanted;
    for (const unsigned char c : name)
        wanted += static_cast<wchar_t>(c);
    static std::mutex mutex;
    static std::map<std::wstring, std::wstring> chosen;
    std::wstring face;
    {
        const std::lock_guard<std::mutex> lock(mutex);
        const auto found = chosen.find(wanted);
        if (found != chosen.end()) {
            face = found->second;
        } else {
            face = resolve(wanted);
            // Nothing found is asked again next time rather than remembered.
            if (!face.empty()) chosen.emplace(wanted, face);
        }
    }
    if (face.empty()) return nullptr;
    auto family = std::make_unique<Gdiplus::FontFamily>(face.c_str());
    if (family->GetLastStatus() != Gdiplus::Ok) return nullptr;
    return family;
}
