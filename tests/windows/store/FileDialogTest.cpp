// The Windows file dialog behind the preset and bank commands: the real dialog object with the
// selector's settings read back from it, and a shown dialog answered from another thread the
// way a user would.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include <shobjidl.h>

#include "RegistryValues.h"
#include "TempConfigHome.h"
#include "tests/windows/TestTime.h"
#include "toolkit/CFrame.h"
#include "toolkit/platform/win32/Win32FileSelector.h"

namespace {

class FileDialog : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        folder = wideOf(home.root()) + L"\\Kl\u00E4nge";
        ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    }
    void TearDown() override {
        frame->forget();
        ::CoUninitialize();
    }

    // A selector set up as the preset bar sets up its dialogs.
    Win32FileSelector* selector(CNewFileSelector::Style style, const char* title) {
        auto* made = dynamic_cast<Win32FileSelector*>(CNewFileSelector::create(frame, style));
        EXPECT_NE(made, nullptr);
        if (!made) return nullptr;
        const CFileExtension preset{"ZEM Preset", "zem"};
        made->setTitle(title);
        made->setInitialDirectory((utf8Of(folder) + "\\").c_str());
        if (style == CNewFileSelector::kSelectSaveFile) {
            made->setDefaultSaveName("song");
            made->setDefaultExtension(preset);
        } else {
            made->setAllowMultiFileSelection(false);
        }
        made->addFileExtension(preset);
        made->addFileExtension({"ZEM Bank", "zeb"});
        return made;
    }

    TempConfigHome home;
    std::wstring folder;
    CFrame* frame = new CFrame(CRect(0, 0, 320, 257), nullptr, nullptr);
};

void writeWideFile(const std::wstring& path) {
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ::WriteFile(file, "ZmLy", 4, &written, nullptr);
    ::CloseHandle(file);
}

bool canShowWindows() {
    HWND probe = ::CreateWindowExW(0, L"STATIC", L"probe", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                   nullptr, nullptr);
    if (!probe) return false;
    ::DestroyWindow(probe);
    return true;
}

std::wstring folderOf(IFileDialog* dialog) {
    IShellItem* item = nullptr;
    if (FAILED(dialog->GetFolder(&item)) || !item) return {};
    PWSTR path = nullptr;
    std::wstring result;
    if (SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, &path))) result = path;
    ::CoTaskMemFree(path);
    item->Release();
    while (!result.empty() && result.back() == L'\\')
        result.pop_back();
    return result;
}

TEST_F(FileDialog, TheSaveDialogHoldsTheFolderNameTypesAndOptionsItWasGiven) {
    if (!canShowWindows()) GTEST_SKIP() << "no display for wine: run under Xvfb";
    Win32FileSelector* save = selector(CNewFileSelector::kSelectSaveFile, "Save preset");
    ASSERT_NE(save, nullptr);
    IFileDialog* dialog = save->createConfiguredDialog();
    ASSERT_NE(dialog, nullptr);
    IFileSaveDialog* asSave = nullptr;
    EXPECT_TRUE(
        SUCCEEDED(dialog->QueryInterface(IID_IFileSaveDialog, reinterpret_cast<void**>(&asSave))));
    if (asSave) asSave->Release();
    PWSTR name = nullptr;
    ASSERT_TRUE(SUCCEEDED(dialog->GetFileName(&name)));
    EXPECT_EQ(std::wstring(name), L"song");
    ::CoTaskMemFree(name);
    EXPECT_EQ(folderOf(dialog), folder);
    UINT type = 0;
    EXPECT_TRUE(SUCCEEDED(dialog->GetFileTypeIndex(&type)));
    EXPECT_EQ(type, 1u);
    FILEOPENDIALOGOPTIONS options = 0;
    ASSERT_TRUE(SUCCEEDED(dialog->GetOptions(&options)));
    EXPECT_TRUE(options & FOS_NOCHANGEDIR);
    EXPECT_TRUE(options & FOS_OVERWRITEPROMPT);
    EXPECT_TRUE(options & FOS_FORCEFILESYSTEM);
    dialog->Release();
    save->forget();
}

TEST_F(FileDialog, TheLoadDialogIsAnOpenDialogForOneExistingFile) {
    if (!canShowWindows()) GTEST_SKIP() << "no display for wine: run under Xvfb";
    Win32FileSelector* load = selector(CNewFileSelector::kSelectFile, "Load preset");
    ASSERT_NE(load, nullptr);
    IFileDialog* dialog = load->createConfiguredDialog();
    ASSERT_NE(dialog, nullptr);
    IFileOpenDialog* asOpen = nullptr;
    EXPECT_TRUE(
        SUCCEEDED(dialog->QueryInterface(IID_IFileOpenDialog, reinterpret_cast<void**>(&asOpen))));
    if (asOpen) asOpen->Release();
    FILEOPENDIALOGOPTIONS options = 0;
    ASSERT_TRUE(SUCCEEDED(dialog->GetOptions(&options)));
    EXPECT_TRUE(options & FOS_FILEMUSTEXIST);
    EXPECT_TRUE(options & FOS_NOCHANGEDIR);
    EXPECT_FALSE(options & FOS_ALLOWMULTISELECT);
    EXPECT_EQ(folderOf(dialog), folder);
    EXPECT_EQ(load->ownerWindow(), nullptr); // a headless frame has no window to be modal to
    dialog->Release();
    load->forget();
}

// Finds the dialog by its title (so the title is checked too), optionally types a file name
// into its edit field, then presses the button `command`. Gives up after 20 s, closing
// whatever dialog is up so the test cannot hang.
class DialogDriver {
  public:
    DialogDriver(std::wstring title, std::wstring typed, WPARAM command)
        : title_(std::move(title)), typed_(std::move(typed)), command_(command),
          thread_([this] { drive(); }) {}
    ~DialogDriver() { thread_.join(); }
    bool found() const { return found_.load(); }
    bool typedIn() const { return typedIn_.load(); }

  private:
    static BOOL CALLBACK findEdit(HWND window, LPARAM result) {
        wchar_t kind[32] = {};
        ::GetClassNameW(window, kind, 32);
        if (std::wstring(kind) == L"Edit" && ::IsWindowVisible(window)) {
            *reinterpret_cast<HWND*>(result) = window;
            return FALSE;
        }
        return TRUE;
    }

    void drive() {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::seconds(20 * testTimeFactor());
        HWND dialog = nullptr;
        while (!dialog && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            dialog = ::FindWindowW(nullptr, title_.c_str());
        }
        if (!dialog) {
            // Wrong title or no dialog: close anything this process shows.
            if (HWND any = ::FindWindowW(L"#32770", nullptr)) ::PostMessageW(any, WM_CLOSE, 0, 0);
            return;
        }
        found_.store(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(300)); // let it finish opening
        if (!typed_.empty()) {
            HWND edit = nullptr;
            ::EnumChildWindows(dialog, findEdit, reinterpret_cast<LPARAM>(&edit));
            if (edit) {
                ::SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed_.c_str()));
                typedIn_.store(true);
            }
        }
        ::PostMessageW(dialog, WM_COMMAND, command_, 0);
    }

    std::wstring title_, typed_;
    WPARAM command_;
    std::atomic<bool> found_{false}, typedIn_{false};
    std::thread thread_;
};

// A window of our own tells whether this wine session can show windows at all (it needs an
// X display); without one wine cannot even create the dialog object.
TEST_F(FileDialog, ASavedNameGetsTheDefaultExtensionInTheRememberedFolder) {
    if (!canShowWindows()) GTEST_SKIP() << "no display for wine: run under Xvfb";
    Win32FileSelector* save = selector(CNewFileSelector::kSelectSaveFile, "Save preset");
    ASSERT_NE(save, nullptr);
    bool confirmed = false;
    bool found = false;
    {
        DialogDriver user(L"Save preset", L"", IDOK);
        confirmed = save->runModal();
        found = user.found();
    }
    EXPECT_TRUE(found) << "no dialog titled \"Save preset\"";
    ASSERT_TRUE(confirmed);
    ASSERT_EQ(save->getNumSelectedFiles(), 1);
    EXPECT_EQ(std::string(save->getSelectedFile(0)), utf8Of(folder) + "\\song.zem");
    save->forget();
}

TEST_F(FileDialog, AnOpenedFileComesBackAsItsFullUtf8PathAndCancelChoosesNothing) {
    if (!canShowWindows()) GTEST_SKIP() << "no display for wine: run under Xvfb";
    const std::wstring file = folder + L"\\\u65E5\u672C.zem";
    writeWideFile(file);
    Win32FileSelector* load = selector(CNewFileSelector::kSelectFile, "Load preset");
    ASSERT_NE(load, nullptr);
    bool confirmed = false;
    {
        DialogDriver user(L"Load preset", L"\u65E5\u672C.zem", IDOK);
        confirmed = load->runModal();
        EXPECT_TRUE(user.found());
    }
    ASSERT_TRUE(confirmed);
    ASSERT_EQ(load->getNumSelectedFiles(), 1);
    EXPECT_EQ(std::string(load->getSelectedFile(0)), utf8Of(file));

    {
        DialogDriver user(L"Load preset", L"", IDCANCEL);
        EXPECT_FALSE(load->runModal());
        EXPECT_TRUE(user.found());
    }
    EXPECT_EQ(load->getNumSelectedFiles(), 0);
    load->forget();
}

} // namespace
