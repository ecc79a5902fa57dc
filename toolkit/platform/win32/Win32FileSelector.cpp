#include "toolkit/platform/win32/Win32FileSelector.h"

#include <string>
#include <vector>

#include "toolkit/CFrame.h"

namespace {

std::wstring wideOf(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int n = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                        static_cast<int>(utf8.size()), nullptr, 0);
    if (n <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                          wide.data(), n);
    return wide;
}

std::string utf8Of(const wchar_t* wide) {
    const int n = ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide, -1, nullptr, 0,
                                        nullptr, nullptr);
    if (n <= 1) return {};
    std::string utf8(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide, -1, utf8.data(), n, nullptr,
                          nullptr);
    utf8.resize(static_cast<std::size_t>(n) - 1);
    return utf8;
}

// The item's file-system path as UTF-8; empty for anything that is not a plain file.
std::string pathOf(IShellItem* item) {
    PWSTR path = nullptr;
    if (FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &path)) || !path) return {};
    std::string utf8 = utf8Of(path);
    ::CoTaskMemFree(path);
    return utf8;
}

template <typename T> struct Released {
    T* p = nullptr;
    ~Released() {
        if (p) p->Release();
    }
};

// COM for the dialog if the thread has none yet (the editor normally initialised OLE).
class ComScope {
  public:
    ComScope() : result(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(result)) ::CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

  private:
    HRESULT result;
};

} // namespace

CNewFileSelector* createPlatformFileSelector(CFrame* frame, CNewFileSelector::Style style) {
    return new Win32FileSelector(frame, style);
}

HWND Win32FileSelector::ownerWindow() const noexcept {
    HWND child = frame ? static_cast<HWND>(frame->getSystemWindow()) : nullptr;
    if (!child) return nullptr;
    HWND root = ::GetAncestor(child, GA_ROOT);
    return root ? root : child;
}

IFileDialog* Win32FileSelector::createConfiguredDialog() const noexcept {
    try {
        const bool save = style == kSelectSaveFile;
        IFileDialog* dialog = nullptr;
        if (FAILED(::CoCreateInstance(save ? CLSID_FileSaveDialog : CLSID_FileOpenDialog, nullptr,
                                      CLSCTX_INPROC_SERVER, IID_IFileDialog,
                                      reinterpret_cast<void**>(&dialog))))
            return nullptr;

        // Never move the host's working directory; only real files.
        FILEOPENDIALOGOPTIONS options = 0;
        dialog->GetOptions(&options);
        options |= FOS_NOCHANGEDIR | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST;
        if (save) options |= FOS_OVERWRITEPROMPT;
        if (style == kSelectFile) options |= FOS_FILEMUSTEXIST;
        if (style == kSelectDirectory) options |= FOS_PICKFOLDERS;
        if (style != kSelectSaveFile && allowMultiple) options |= FOS_ALLOWMULTISELECT;
        dialog->SetOptions(options);

        if (!title.empty()) dialog->SetTitle(wideOf(title).c_str());

        // One filter per extension: its description and "*.ext".
        std::vector<std::wstring> names, patterns;
        for (const CFileExtension& type : extensions) {
            if (type.extension.empty()) continue;
            names.push_back(wideOf(type.description.empty() ? type.extension : type.description));
            patterns.push_back(L"*." + wideOf(type.extension));
        }
        std::vector<COMDLG_FILTERSPEC> filters;
        for (std::size_t i = 0; i < names.size(); ++i)
            filters.push_back({names[i].c_str(), patterns[i].c_str()});
        if (!filters.empty() && style != kSelectDirectory) {
            dialog->SetFileTypes(static_cast<UINT>(filters.size()), filters.data());
            dialog->SetFileTypeIndex(1);
        }
        if (save && !defaultExtension.extension.empty())
            dialog->SetDefaultExtension(wideOf(defaultExtension.extension).c_str());

        if (!initialDirectory.empty()) {
            Released<IShellItem> folder;
            if (SUCCEEDED(::SHCreateItemFromParsingName(wideOf(initialDirectory).c_str(), nullptr,
                                                        IID_IShellItem,
                                                        reinterpret_cast<void**>(&folder.p))))
                dialog->SetFolder(folder.p);
        }
        if (save && !defaultSaveName.empty()) dialog->SetFileName(wideOf(defaultSaveName).c_str());
        return dialog;
    } catch (...) {
        return nullptr;
    }
}

bool Win32FileSelector::runModalInternal() {
    try {
        const ComScope com;
        Released<IFileDialog> dialog{createConfiguredDialog()};
        if (!dialog.p || FAILED(dialog.p->Show(ownerWindow()))) return false; // also: cancelled
        if (style != kSelectSaveFile && allowMultiple) {
            Released<IFileOpenDialog> open;
            Released<IShellItemArray> items;
            if (FAILED(dialog.p->QueryInterface(IID_IFileOpenDialog,
                                                reinterpret_cast<void**>(&open.p))) ||
                FAILED(open.p->GetResults(&items.p)))
                return false;
            DWORD count = 0;
            items.p->GetCount(&count);
            for (DWORD i = 0; i < count; ++i) {
                Released<IShellItem> item;
                if (SUCCEEDED(items.p->GetItemAt(i, &item.p))) {
                    std::string path = pathOf(item.p);
                    if (!path.empty()) selected.push_back(std::move(path));
                }
            }
        } else {
            Released<IShellItem> item;
            if (FAILED(dialog.p->GetResult(&item.p))) return false;
            std::string path = pathOf(item.p);
            if (!path.empty()) selected.push_back(std::move(path));
        }
        return !selected.empty();
    } catch (...) {
        selected.clear();
        return false;
    }
}
