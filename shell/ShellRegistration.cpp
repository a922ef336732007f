#include "shell/ShellRegistration.h"

#include "shell/AppearanceEffects.h"
#include "shell/WidgetClasses.h"
#include "shell/WidgetFactories.h"

void RegisterShellClasses() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  RegisterClassName<TSurfaceWidget>("surface_widget");
  RegisterClassName<TVisualGroupWidget>("group_widget");
  RegisterClassName<TLinkedSurfaceWidget>("linked_surface_widget");
  RegisterClassName<TReplicatorWidget>("replicator_widget");
  RegisterClassName<TWidgetFactory>("WidgetFactory");
  RegisterClassName<TAppearanceEffectWidget>("appearance_effect_widget");
  RegisterClassName<TAppearanceEffectCollection>("appearance_effects");
  RegisterClassName<TFunctionAppearanceEffect>("func_appearance_effect");
}
