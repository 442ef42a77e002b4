#include "physics/materials/Material.h"
#include "base/TextFormat.h"
#include "physics/materials/InsertAfterSelection.h"
#include "physics/particles/ParticleSystem.h"
#include "render/TextureLib.h"

// The editing side of a material: its decal lists and template lists with the
// selections the editor's pages work on.

namespace KIV {

void MaterialDecalList::Add()
{
    mItems.emplace_back();
    mSelected = Count() - 1;
}

void MaterialDecalList::Delete(int32_t i)
{
    if (!Has(i)) return;
    mItems.erase(mItems.begin() + i);
    const int32_t count = Count();
    if (count == 0) mSelected = -1;
    else if (mSelected < 0) mSelected = 0;
    else if (mSelected >= count) mSelected = count - 1;
}

void MaterialDecalList::SetTexture(int32_t i, const std::string& texture)
{
    if (Has(i)) mItems[i].mTexture = texture;
}

void MaterialDecalList::SetSelectedTextureFromLib()
{
    if (!gTextureLib || gTextureLib->mSelectedName.empty()) return;
    SetTexture(mSelected, gTextureLib->mSelectedName);
}

void MaterialDecalList::SetSize(int32_t i, const IntervalF& v)
{
    if (Has(i)) mItems[i].mSize = v;
}

void MaterialDecalList::SetOpacity(int32_t i, const IntervalF& v)
{
    if (Has(i)) mItems[i].mOpacity = v;
}

MaterialFamily::MaterialFamily() = default;
MaterialFamily::~MaterialFamily() = default;

void MaterialFamily::AddTemplate() { InsertAfterSelection(mTemplates); }

void MaterialFamily::DeleteTemplate(int32_t i)
{
    if (i >= 0 && i < mTemplates.Count()) mTemplates.DeleteAt(i);
}

std::string MaterialFamily::GetTemplatesListArray() const
{
    std::string text = "[";
    for (const ParticleSystem* t : mTemplates) AppendJsArrayItem(text, t ? t->GetName() : std::string());
    CloseJsArrayText(text);
    return text;
}

std::string MaterialFamily::GetSelectedTemplateName() const
{
    const ParticleSystem* t = mTemplates.GetSelected();
    return t ? t->GetName() : std::string();
}

void MaterialFamily::SetSelectedTemplateName(const std::string& name)
{
    if (ParticleSystem* t = mTemplates.GetSelected()) t->SetName(name);
}

} // namespace KIV
