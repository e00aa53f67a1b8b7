// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/render/WidgetFrame.h"

#include "scene/host/TvxBackground.h"
#include "scene/render/TvxGradient.h"
#include "scene/shapes/TvxRectangle.h"
#include "scene/shapes/TvxText.h"

#include <string>

namespace nimbrell::bench {

std::unique_ptr<TvxCustomScene> MakeWidgetSizedScene()
{
    RegisterSceneHostClasses();
    auto scene = std::make_unique<TvxCustomScene>(635, 866);
    scene->SetTransparency(true);
    auto* root = new TvxBackground(nullptr);
    scene->AddObject(root);
    const char* texts[] = { "多云转晴", "32℃~20℃", "北风4-5级转3-4级", "明天", "后天", "小雨转中雨", "05月01日", "天气,风力、风向" };
    for (int i = 0; i < 20; ++i) {
        float x = 10.0f + float(i % 4) * 155;
        float y = 10.0f + float(i / 4) * 170;
        auto* panel = new TvxRectangle(nullptr);
        panel->SetBounds(x, y, 145, 160);
        panel->SetxRadius(8);
        panel->SetyRadius(8);
        panel->Fill().SetStyle(TvxBrushStyle::vgBrushGradient);
        panel->Fill().Gradient().Points()[0].SetColor("#C0304050");
        panel->Fill().Gradient().Points()[1].SetColor("#C0102030");
        panel->Stroke().SetSolidColor(0x80FFFFFF);
        root->AddObject(panel);

        auto* text = new TvxText(nullptr);
        text->SetBounds(x + 8, y + 60, 130, 40);
        text->SetText(texts[i % 8] + std::string(" ") + std::to_string(i));
        text->Font().SetFamily(i % 2 ? "Fixedsys" : "Tahoma");
        text->Font().SetSize(i % 2 ? 13 : 16);
        text->Fill().SetSolidColor(0xFFE9E9E9);
        root->AddObject(text);
    }
    scene->DrawAll();
    return scene;
}

}
