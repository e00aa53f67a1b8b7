// SPDX-License-Identifier: GPL-3.0-or-later
#include "scene/controls/SceneControlClasses.h"

#include "scene/anim/SceneAnimClasses.h"
#include "scene/controls/TvxButton.h"
#include "scene/controls/TvxCheckBox.h"
#include "scene/controls/TvxCloseButton.h"
#include "scene/controls/TvxComboBox.h"
#include "scene/controls/TvxContent.h"
#include "scene/controls/TvxCustomTextBox.h"
#include "scene/controls/TvxLabel.h"
#include "scene/controls/TvxProgressBar.h"
#include "scene/controls/TvxSizeGrip.h"
#include "scene/controls/TvxListBox.h"
#include "scene/controls/TvxScrollBar.h"
#include "scene/controls/TvxSpinBox.h"
#include "scene/core/ObjectStream.h"
#include "scene/host/TvxBackground.h"
#include "scene/styles/TvxResources.h"

namespace nimbrell {

void RegisterSceneControlClasses()
{
    RegisterSceneHostClasses();
    RegisterSceneAnimClasses();
    RegisterSceneStyleClasses();
    RegisterClass<TvxLabel>();
    RegisterClass<TvxHudLabel>();
    RegisterClass<TvxButton>();
    RegisterClass<TvxCircleButton>();
    RegisterClass<TvxSpeedButton>();
    RegisterClass<TvxCheckBox>();
    RegisterClass<TvxCloseButton>();
    RegisterClass<TvxProgressBar>();
    RegisterClass<TvxSizeGrip>();
    RegisterClass<TvxContent>();
    RegisterClass<TvxTextBox>();
    RegisterClass<TvxSpinBox>();
    RegisterClass<TvxThumb>();
    RegisterClass<TvxCustomTrack>();
    RegisterClass<TvxTrack>();
    RegisterClass<TvxScrollBar>();
    RegisterClass<TvxSmallScrollBar>();
    RegisterClass<TvxScrollContent>();
    RegisterClass<TvxScrollBox>();
    RegisterClass<TvxListBoxItem>();
    RegisterClass<TvxListBox>();
    RegisterClass<TvxPopup>();
    RegisterClass<TvxComboListBox>();
    RegisterClass<TvxComboBox>();
    RegisterClass<TvxStringComboBox>();
}

}
