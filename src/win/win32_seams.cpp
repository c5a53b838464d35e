#include "win/win32_seams.hpp"

#include <commdlg.h>
#include <shellapi.h>

#include <cstdio>
#include <vector>

#include "addin/dialogs/form_about.hpp"
#include "addin/dialogs/form_dialog.hpp"
#include "common/error.hpp"
#include "common/windows_error.hpp"
#include "win/automation.hpp"
#include "win/resource.h"

namespace tarn::win {
namespace {

constexpr const char* kCaption = "Tarn";

// The path chosen last, which the next save dialog starts from, as the
// dialog the commands share keeps it for the life of the add-in.
std::string lastPath;

std::string WindowText(HWND window, int control) {
  const HWND item = GetDlgItem(window, control);
  std::string text(static_cast<std::size_t>(GetWindowTextLengthA(item)) + 1, '\0');
  const int length = GetWindowTextA(item, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(length < 0 ? 0 : length));
  return text;
}

INT_PTR CALLBACK ConfigurationProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      auto* form = reinterpret_cast<addin::FormDialog*>(lParam);
      SetWindowLongPtrA(window, DWLP_USER, lParam);
      SetWindowTextA(window, form->Caption.c_str());
      SetDlgItemTextA(window, IDC_Label1, form->Label1.c_str());
      SetDlgItemTextA(window, IDC_Text1, form->Text1.c_str());
      SetDlgItemTextA(window, IDC_Label2, form->Label2.c_str());
      SetDlgItemTextA(window, IDC_Text2, form->Text2.c_str());
      return TRUE;
    }
    case WM_COMMAND: {
      auto* form = reinterpret_cast<addin::FormDialog*>(GetWindowLongPtrA(window, DWLP_USER));
      if (LOWORD(wParam) == IDOK) {
        form->Text1 = WindowText(window, IDC_Text1);
        form->Text2 = WindowText(window, IDC_Text2);
        EndDialog(window, IDOK);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(window, IDCANCEL);
        return TRUE;
      }
      return FALSE;
    }
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK AboutProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      const auto* about = reinterpret_cast<const addin::FormAbout*>(lParam);
      SetWindowTextA(window, about->Caption.c_str());
      SetDlgItemTextA(window, IDC_lblTitle, about->lblTitle.c_str());
      SetDlgItemTextA(window, IDC_lblDescription, about->lblDescription.c_str());
      SetDlgItemTextA(window, IDC_lblVersion, about->lblVersion.c_str());
      return TRUE;
    }
    case WM_COMMAND:
      // cmdOK is both the default and the cancel button.
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(window, IDOK);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

INT_PTR ShowDialog(int resource, DLGPROC procedure, LPARAM form) {
  const INT_PTR result = DialogBoxParamA(Module(), MAKEINTRESOURCEA(resource), OwnerWindow(), procedure, form);
  if (result == -1 || result == 0) RaiseWindowsError(GetLastError(), "Cannot show the dialog");
  return result;
}

}  // namespace

HWND OwnerWindow() { return GetActiveWindow(); }

std::optional<std::string> Win32SaveDialog::ShowSave(const addin::SaveDialogSetup& setup) {
  // The filter's names and patterns end with NUL, the whole with two.
  std::string filter = setup.filter;
  for (char& c : filter)
    if (c == '|') c = '\0';
  filter.append(2, '\0');
  std::vector<char> file(32768, '\0');
  lastPath.copy(file.data(), std::min(lastPath.size(), file.size() - 1));
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = OwnerWindow();
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrTitle = setup.title.c_str();
  dialog.lpstrDefExt = setup.defaultExtension.c_str();
  dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (GetSaveFileNameA(&dialog)) {
    lastPath = file.data();
    return lastPath;
  }
  const DWORD failure = CommDlgExtendedError();
  if (failure == 0) return std::nullopt;
  char code[16];
  std::snprintf(code, sizeof code, "0x%04lX", failure);
  throw Error(kInvalidCall, std::string("The save dialog failed (common dialog error ") + code + ").");
}

void Win32MessageBoxes::ShowMessage(const std::string& text) {
  MessageBoxA(OwnerWindow(), text.c_str(), kCaption, MB_OK);
}

bool Win32MessageBoxes::AskYesNo(const std::string& question) {
  return MessageBoxA(OwnerWindow(), question.c_str(), kCaption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void Win32MessageBoxes::ShowWarning(const std::string& text) { OutputDebugStringA(("Tarn: " + text + "\n").c_str()); }

long Win32ProgramStarter::StartCommandLine(const std::string& commandLine, const std::string&) {
  std::string line = commandLine;  // CreateProcess may write into it
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWMAXIMIZED;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    RaiseWindowsError(GetLastError(), "Cannot run " + commandLine);
  // The started program may bring its window to the front.
  AllowSetForegroundWindow(process.dwProcessId);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<long>(process.dwProcessId);
}

long Win32ProgramStarter::OpenAddress(const std::string& address) {
  SHELLEXECUTEINFOA open{};
  open.cbSize = sizeof open;
  open.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
  open.hwnd = OwnerWindow();
  open.lpVerb = "open";
  open.lpFile = address.c_str();
  open.nShow = SW_SHOWNORMAL;
  if (!ShellExecuteExA(&open)) RaiseWindowsError(GetLastError(), "Cannot open " + address);
  // Success gives a value above 32 in place of a task id.
  return static_cast<long>(reinterpret_cast<INT_PTR>(open.hInstApp));
}

bool Win32DialogWindows::ShowConfiguration(addin::FormDialog& form) {
  return ShowDialog(IDD_CONFIGURATION, ConfigurationProc, reinterpret_cast<LPARAM>(&form)) == IDOK;
}

void Win32DialogWindows::ShowAbout(const addin::FormAbout& about) {
  ShowDialog(IDD_ABOUT, AboutProc, reinterpret_cast<LPARAM>(&about));
}

}  // namespace tarn::win
