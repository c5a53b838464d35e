#include "win/automation.hpp"

#include <mutex>
#include <new>
#include <utility>
#include <vector>

#include "common/error.hpp"

namespace tarn::win {

// {3E1C2F70-5B8A-4D2E-9C61-7A4B0D9E1F35}
const IID kImplementedIid = {0x3e1c2f70, 0x5b8a, 0x4d2e, {0x9c, 0x61, 0x7a, 0x4b, 0x0d, 0x9e, 0x1f, 0x35}};

namespace {

HMODULE module = nullptr;
std::atomic<long> moduleReferences{0};

}  // namespace

std::string FromBstr(BSTR text) {
  const int length = static_cast<int>(SysStringLen(text));
  if (length == 0) return {};
  const int size = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, length, bytes.data(), size, nullptr, nullptr);
  return bytes;
}

BSTR ToBstr(std::string_view text) {
  const int length = static_cast<int>(text.size());
  const int size = length == 0 ? 0 : MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
  BSTR result = SysAllocStringLen(nullptr, static_cast<UINT>(size));
  if (result == nullptr) throw std::bad_alloc();
  if (size > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), length, result, size);
  return result;
}

HMODULE Module() { return module; }
void SetModule(HMODULE loaded) { module = loaded; }
void AddModuleReference() { ++moduleReferences; }
void ReleaseModuleReference() { --moduleReferences; }
bool ModuleInUse() { return moduleReferences.load() != 0; }

ITypeInfo* TypeInfoOf(REFIID iid) {
  // The library and the type information asked for are loaded once, from
  // the DLL's own resources, and kept for the life of the process.
  static ITypeLib* const library = []() -> ITypeLib* {
    wchar_t path[MAX_PATH];
    ITypeLib* loaded = nullptr;
    const DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    if (length == 0 || length == MAX_PATH || FAILED(LoadTypeLibEx(path, REGKIND_NONE, &loaded))) return nullptr;
    return loaded;
  }();
  static std::mutex guard;
  static std::vector<std::pair<GUID, ITypeInfo*>> loaded;
  if (library == nullptr) return nullptr;
  const std::lock_guard lock(guard);
  for (const auto& [guid, info] : loaded)
    if (IsEqualGUID(guid, iid)) return info;
  ITypeInfo* info = nullptr;
  if (FAILED(library->GetTypeInfoOfGuid(iid, &info))) return nullptr;
  loaded.emplace_back(iid, info);
  return info;
}

HRESULT ResultOf(std::int32_t number) {
  if (number < 0) return static_cast<HRESULT>(number);
  return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, static_cast<std::uint16_t>(number));
}

namespace {

void SetErrorText(REFIID iid, const std::string& description) {
  ICreateErrorInfo* creating = nullptr;
  if (FAILED(CreateErrorInfo(&creating))) return;
  BSTR text = nullptr;
  try {
    text = ToBstr(description);
  } catch (const std::bad_alloc&) {
  }
  creating->SetGUID(iid);
  creating->SetSource(const_cast<LPOLESTR>(L"Tarn"));
  creating->SetDescription(text);
  IErrorInfo* info = nullptr;
  if (SUCCEEDED(creating->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)))) {
    SetErrorInfo(0, info);
    info->Release();
  }
  SysFreeString(text);
  creating->Release();
}

}  // namespace

HRESULT Guard(REFIID iid, const std::function<void()>& body) {
  SetErrorInfo(0, nullptr);
  try {
    body();
    return S_OK;
  } catch (const Error& error) {
    SetErrorText(iid, error.Description());
    return ResultOf(error.Number());
  } catch (const std::bad_alloc&) {
    SetErrorText(iid, "Out of memory");
    return ResultOf(kOutOfMemory);
  } catch (const std::exception& failure) {
    SetErrorText(iid, failure.what());
    return ResultOf(kPathFileAccess);
  }
}

}  // namespace tarn::win
