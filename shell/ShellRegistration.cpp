#include "shell/ShellRegistration.h"

#include "shell/AppearanceEffects.h"
#include "shell/CustomSettings.h"
#include "shell/Game.h"
#include "shell/GameScreen.h"
#include "shell/GameScreenOptions.h"
#include "shell/GameScreenQueryDialog.h"
#include "shell/GameScreenSplash.h"
#include "shell/GameScreenSplashLoad.h"
#include "shell/GameScreenUsers.h"
#include "shell/ResourceFiles.h"
#include "shell/WidgetClasses.h"
#include "shell/WidgetFactories.h"

void RegisterShellClasses() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  RegisterClassName<TGame>("Game");
  RegisterClassName<TGameScreen>("GameScreen");
  RegisterClassName<TSurfaceWidget>("surface_widget");
  RegisterClassName<TVisualGroupWidget>("group_widget");
  RegisterClassName<TLinkedSurfaceWidget>("linked_surface_widget");
  RegisterClassName<TReplicatorWidget>("replicator_widget");
  RegisterClassName<TWidgetFactory>("WidgetFactory");
  RegisterClassName<TAppearanceEffectWidget>("appearance_effect_widget");
  RegisterClassName<TAppearanceEffectCollection>("appearance_effects");
  RegisterClassName<TFunctionAppearanceEffect>("func_appearance_effect");
  RegisterClassName<TParamSettingsCommand>("param_command");
  RegisterClassName<TAddWidgetSettingsCommand>("add_widget_command");
  RegisterClassName<TWidgetChangePropertyValueSettingsCommand>("widget_change_property_value_command");
  RegisterClassName<TLoadResourcesSettingsCommand>("load_resource_command");
  RegisterClassName<TResourceFile>("ResourceFile");
  RegisterClassName<TGameScreenSplash>("GameScreenSplash");
  RegisterClassName<TGameScreenSplashLogos>("GameScreenSplashLogos");
  RegisterClassName<TGameScreenSplashProgress>("GameScreenSplashProgress");
  RegisterClassName<TGameScreenSplashSelfRefresh>("GameScreenSplashSelfRefresh");
  RegisterClassName<TGameScreenSplashSelfRefreshFactory>("GameScreenSplashSelfRefreshFactory");
  RegisterClassName<TGameScreenSplashResourceLoad>("GameScreenSplashResourceLoad");
  RegisterClassName<TGameScreenSplashResourceDefsLoad>("GameScreenSplashResourceDefsLoad");
  RegisterClassName<TGameScreenNewUser>("GameScreenNewUser");
  RegisterClassName<TGameScreenUserProfiles>("GameScreenUserProfiles");
  RegisterClassName<TGameScreenQueryDialog>("GameScreenQueryDialog");
  RegisterClassName<TGameScreenQueryDeleteProfile>("GameScreenQueryDeleteProfile");
  RegisterClassName<TGameScreenOptions>("GameScreenOptions");
  RegisterClassName<TGameScreenQuit>("GameScreenQuit");
}
