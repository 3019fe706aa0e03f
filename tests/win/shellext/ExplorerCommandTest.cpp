// TorvanCommand, Windows 11's first-level menu item, driven as Explorer
// drives it: the class from the DLL's exports, real shell item arrays for
// real files and folders, and a stand-in Torvan.exe that records its start.
#include <gtest/gtest.h>

#include <shlobj.h>

#include "ShellExtHarness.h"
#include "TorvanCommandClsid.h"

using namespace shellext_test;

namespace {

CLSID CommandClsid() {
    CLSID clsid = {};
    std::wstring text = Wide(TORVANCOMMAND_CLSID_TEXT);
    ::CLSIDFromString(&text[0], &clsid);
    return clsid;
}

std::string Utf8(const wchar_t* wide) {
    int bytes = ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, &text[0], bytes, nullptr, nullptr);
    text.resize(static_cast<size_t>(bytes > 0 ? bytes - 1 : 0));
    return text;
}

// One command object and the item array of a selection.
class Command {
public:
    explicit Command(DllCopy& dll) {
        dll.Create(CommandClsid(), IID_IExplorerCommand, reinterpret_cast<void**>(&m_command));
    }
    ~Command() {
        if (m_items) m_items->Release();
        if (m_command) m_command->Release();
    }
    IExplorerCommand* operator->() const { return m_command; }
    bool Ready() const { return m_command != nullptr; }

    IShellItemArray* Select(const std::vector<std::string>& paths) {
        if (m_items) m_items->Release();
        m_items = ShellItems(paths);
        return m_items;
    }

    // "" for hidden, else the title; both calls as Explorer makes them.
    std::string Offered(const std::vector<std::string>& paths) {
        IShellItemArray* items = Select(paths);
        if (!items) return "(no item array)";
        EXPCMDSTATE state = 0xFF;
        if (m_command->GetState(items, FALSE, &state) != S_OK) return "(GetState failed)";
        if (state == ECS_HIDDEN) return "";
        if (state != ECS_ENABLED) return "(state " + std::to_string(state) + ")";
        wchar_t* title = nullptr;
        if (FAILED(m_command->GetTitle(items, &title)) || !title) return "(GetTitle failed)";
        std::string text = Utf8(title);
        ::CoTaskMemFree(title);
        return text;
    }

private:
    IExplorerCommand* m_command = nullptr;
    IShellItemArray* m_items = nullptr;
};

const char kPackTitle[] = "添加到 Torvan 压缩文件....";
const char kUnpackTitle[] = "用 Torvan 解压此文件到...";

}  // namespace

TEST(ExplorerCommand, OffersTheClassicItemForTheFirstSelectedPath) {
    Installation installation;
    ASSERT_TRUE(installation.Dll().Loaded());
    Command command(installation.Dll());
    ASSERT_TRUE(command.Ready());
    TempFolder selection("命令俓");
    std::string site = selection.AddFolder("site");
    std::string gbkFolder = selection.AddFolder("网站俓");
    EXPECT_EQ(command.Offered({site}), kPackTitle);
    EXPECT_EQ(command.Offered({gbkFolder}), kPackTitle);
    EXPECT_EQ(command.Offered({selection.AddFolder("backup.gz")}), kPackTitle);
    EXPECT_EQ(command.Offered({selection.AddFile("a.GZ")}), kUnpackTitle);
    EXPECT_EQ(command.Offered({selection.AddFile("b.dat"), site}), kUnpackTitle);
    EXPECT_EQ(command.Offered({selection.AddFile("数据俓.Dat")}), kUnpackTitle);
    EXPECT_EQ(command.Offered({selection.AddFile("notes.zip"), site}), "");
    EXPECT_EQ(command.Offered({selection.AddFile("压缩俓")}), "");

    // A slow answer is allowed but changes nothing; no item array hides.
    EXPCMDSTATE state = 0xFF;
    EXPECT_EQ(command->GetState(command.Select({site}), TRUE, &state), S_OK);
    EXPECT_EQ(state, static_cast<EXPCMDSTATE>(ECS_ENABLED));
    EXPECT_EQ(command->GetState(nullptr, FALSE, &state), S_OK);
    EXPECT_EQ(state, static_cast<EXPCMDSTATE>(ECS_HIDDEN));
    EXPECT_EQ(command->GetState(nullptr, FALSE, nullptr), E_POINTER);

    EXPCMDFLAGS flags = 0xFF;
    EXPECT_EQ(command->GetFlags(&flags), S_OK);
    EXPECT_EQ(flags, static_cast<EXPCMDFLAGS>(ECF_DEFAULT));
    GUID name = {};
    EXPECT_EQ(command->GetCanonicalName(&name), S_OK);
    EXPECT_TRUE(IsEqualGUID(name, CommandClsid()));
    IEnumExplorerCommand* sub = reinterpret_cast<IEnumExplorerCommand*>(1);
    EXPECT_EQ(command->EnumSubCommands(&sub), E_NOTIMPL);
    EXPECT_EQ(sub, nullptr);
}

TEST(ExplorerCommand, TheIconIsAnIconResourceOfTheDll) {
    Installation installation;
    Command command(installation.Dll());
    ASSERT_TRUE(command.Ready());
    wchar_t* icon = nullptr;
    ASSERT_EQ(command->GetIcon(nullptr, &icon), S_OK);
    std::wstring location = icon;
    ::CoTaskMemFree(icon);
    size_t comma = location.rfind(L",-");
    ASSERT_NE(comma, std::wstring::npos) << Utf8(location.c_str());
    EXPECT_EQ(location.substr(0, comma), Wide(installation.Dll().Path()));
    int id = std::stoi(location.substr(comma + 2));
    HMODULE dll = ::LoadLibraryExW(location.substr(0, comma).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(dll, nullptr);
    HICON loaded = static_cast<HICON>(::LoadImageW(dll, MAKEINTRESOURCEW(id), IMAGE_ICON, 0, 0, 0));
    EXPECT_NE(loaded, nullptr);
    if (loaded) ::DestroyIcon(loaded);
    ::FreeLibrary(dll);
}

TEST(ExplorerCommand, InvokeStartsTheProgramBesideTheDllOnTheFirstItem) {
    Installation installation;
    ASSERT_TRUE(installation.HasProgram()) << "TORVAN_STANDIN is not set or cannot be copied";
    TempFolder selection("命令俓");
    std::string gbkFolder = selection.AddFolder("网站俓");
    std::string archive = selection.AddFile("b.dat");
    {
        Command command(installation.Dll());
        ASSERT_TRUE(command.Ready());
        EXPECT_EQ(command->Invoke(command.Select({gbkFolder, archive}), nullptr), S_OK);
        ASSERT_TRUE(PumpUntil([&] { return installation.Launches().size() == 1; }));
        EXPECT_EQ(installation.Launches()[0], installation.ExpectedLaunch(gbkFolder));
        EXPECT_EQ(command->Invoke(command.Select({archive}), nullptr), S_OK);
        ASSERT_TRUE(PumpUntil([&] { return installation.Launches().size() == 2; }));
        EXPECT_EQ(installation.Launches()[1], installation.ExpectedLaunch(archive));
        EXPECT_EQ(command->Invoke(nullptr, nullptr), E_FAIL);

        // The site is only kept, and handed back.
        IObjectWithSite* withSite = nullptr;
        ASSERT_EQ(command->QueryInterface(IID_IObjectWithSite, reinterpret_cast<void**>(&withSite)), S_OK);
        IUnknown* site = nullptr;
        EXPECT_EQ(withSite->GetSite(IID_IUnknown, reinterpret_cast<void**>(&site)), E_FAIL);
        EXPECT_EQ(withSite->SetSite(command.Select({archive})), S_OK);
        EXPECT_EQ(withSite->GetSite(IID_IShellItemArray, reinterpret_cast<void**>(&site)), S_OK);
        if (site) site->Release();
        EXPECT_EQ(withSite->SetSite(nullptr), S_OK);
        withSite->Release();
        EXPECT_EQ(installation.Dll().CanUnloadNow(), S_FALSE);
    }
    EXPECT_EQ(installation.Dll().CanUnloadNow(), S_OK);
    EXPECT_EQ(installation.Launches().size(), 2u);
}

TEST(ExplorerCommand, WithoutTheProgramInvokeFails) {
    Installation withoutProgram("");
    Command command(withoutProgram.Dll());
    ASSERT_TRUE(command.Ready());
    TempFolder selection("invoke");
    EXPECT_TRUE(FAILED(command->Invoke(command.Select({selection.AddFolder("site")}), nullptr)));
    EXPECT_TRUE(withoutProgram.Launches().empty());
}
