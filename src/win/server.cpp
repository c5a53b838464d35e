// The public classes of Tarn's type library, which the DLL's entry points
// (server_exports.hpp) register and create; they hold none of Tarn's own
// logic.
#include "common/windows_api.hpp"
// (windows_api.hpp comes first: it defines what windows.h needs; initguid.h
// makes the identifiers of tarn.h defined here)
#include <initguid.h>

#include "win/server_exports.hpp"
#include "win/tarn.h"
#include "win/tarn_object.hpp"
#include "win/worker_objects.hpp"
#include "win/z_model_objects.hpp"

namespace tarn::win {
namespace {

const PublicClass kClasses[] = {
    {CLSID_ITarn, L"Tarn.ITarn", CreateTarnObject},
    {CLSID_ZRCClass, L"Tarn.ZRCClass", CreateZRCClass},
    {CLSID_ZPCClass, L"Tarn.ZPCClass", CreateZPCClass},
    {CLSID_ZSchema, L"Tarn.ZSchema", CreateZSchema},
    {CLSID_Schema, L"Tarn.Schema", CreateSchema},
    {CLSID_Declaration, L"Tarn.Declaration", CreateDeclaration},
    {CLSID_Theorem, L"Tarn.Theorem", CreateTheorem},
    {CLSID_ZParser, L"Tarn.ZParser", CreateZParser},
    {CLSID_ZVisitor, L"Tarn.ZVisitor", CreateZVisitor},
    {CLSID_ZGenerator, L"Tarn.ZGenerator", CreateZGenerator},
    {CLSID_Generator, L"Tarn.Generator", CreateGenerator},
};

}  // namespace

const std::span<const PublicClass> kPublicClasses = kClasses;
const GUID* const kTypeLibrary = &LIBID_Tarn;

}  // namespace tarn::win
