#pragma once
// An item panel for programs that drive panel managers (tests, benchmarks, fuzz targets):
// the factories of every kind's items, moves, hides, scroll steps and caption, making
// plain widgets that carry the properties the kinds set (as extra parameters), and the
// "ui_group" content around the panel: the caption group and the scroll buttons.

#include <string>

namespace panel_support {

inline const char* const kPanelItemFactories = R"(
  <widgetfactory type="WidgetFactory" name="panel_item_shape_create"><widgetstring>
    <widget type="group_widget" name="%name%" anchor_left="%left%" anchor_top="%top%"
            width="%width%" height="%height%" visible="yes" extraparams="\zoom=1\zoomx=1\zoomy=1"><widgets>
      <widget type="group_widget" name="inner_widget" visible="yes" width="%width%"
              height="%height%" extraparams="\zoom=1\zoomx=1\zoomy=1"><widgets>
        <widget type="test_box" name="inner_widget" visible="yes" width="%width%"
                height="%height%" caption="%item_source%"/>
      </widgets></widget>
    </widgets></widget>
  </widgetstring></widgetfactory>
  <widgetfactory type="WidgetFactory" name="panel_item_name_create"><widgetstring>
    <widget type="test_box" name="%name%" anchor_left="%left%" anchor_top="%top%"
            width="%width%" height="%height%" visible="yes"
            extraparams="\text_utf8=%item_source%\resourcename=\fillcolor=\item_font=font_a\item_color=1\found_item_font=font_b\found_item_color=2"/>
  </widgetstring></widgetfactory>
  <widgetfactory type="WidgetFactory" name="panel_item_place_only_create"><widgetstring>
    <widget type="test_box" name="%name%" anchor_left="%left%" anchor_top="%top%"
            width="%width%" height="%height%" extraparams="\zoom=1\zoomx=1\zoomy=1"/>
  </widgetstring></widgetfactory>
  <widgetfactory type="WidgetFactory" name="panel_item_part_create"><widgetstring>
    <widget type="test_box" name="%name%" anchor_left="%left%" anchor_top="%top%"
            width="%width%" height="%height%" extraparams="\zoomx=1\zoomy=1\angle=0"/>
  </widgetstring></widgetfactory>
  <widgetfactory type="WidgetFactory" name="panel_item_disposable_create"><widgetstring>
    <widget type="group_widget" name="%name%" anchor_left="%left%" anchor_top="%top%"
            process_mouse_type="self_by_pos" visible="yes" extraparams="\zoom=1\zoomx=1\zoomy=1"><widgets>
      <widget type="test_box" name="inner_widget" visible="yes" width="%width%" height="%height%"/>
      <widget type="test_box" name="count_bar" anchor_top="4" width="20" height="10"/>
      <widget type="group_widget" name="count_text" anchor_top="4" extraparams="\text="/>
    </widgets></widget>
  </widgetstring></widgetfactory>
  <widgetfactory type="WidgetFactory" name="panel_item_move"><widgetstring>
    <widget type="test_box" name="move_%name%" caption="%endposx%"/>
  </widgetstring></widgetfactory>
  <widgetfactory type="WidgetFactory" name="panel_item_name_move"><widgetstring>
    <widget type="test_box" name="move_%name%" caption="%startposy%>%endposy% %change_source_place%"
            currenttime="%currenttime%" extraparams="\endposx=%endposx%"/>
  </widgetstring></widgetfactory>
  <widgetfactory type="WidgetFactory" name="panel_item_hide"><widgetstring>
    <widget type="test_box" name="hide_%name%" extraparams="\surface="/>
  </widgetstring></widgetfactory>
  <widgetfactory type="WidgetFactory" name="panel_item_scroll"><widgetstring>
    <widget type="test_box" name="panel_item_scroll_%name%" caption="%anchor_left%"/>
  </widgetstring></widgetfactory>
  <widgetfactory type="WidgetFactory" name="item_name_label"><widgetstring>
    <widget type="group_widget" name="label"
            extraparams="\middle_width=0\middle_x=0\right_x=0\left_x=0"/>
  </widgetstring></widgetfactory>)";

// The panel, the caption group and the scroll buttons inside "ui_group".
inline std::string PanelUi(const std::string& layout) {
  return R"(<widget type="group_widget" name="panel_scrollarea" visible="yes"><widgets>
      <widget type="obj_list_panel" name="ui_obj_list_panel" visible="yes" extraparams=")" +
         layout + R"("><sounds>
          <sound name="sound_panel_item_hide" resourcename="hide.wav"/>
          <sound name="sound_panel_items_move" resourcename="move.wav"/></sounds></widget>
    </widgets></widget>
    <widget type="group_widget" name="item_labels" visible="yes"/>
    <widget type="test_box" name="button_inventory_scroll_left" visible="yes"/>
    <widget type="test_box" name="button_inventory_scroll_right" visible="yes"/>)";
}

// A "ui_group" holding PanelUi, for windows without one.
inline std::string UiGroup(const std::string& layout) {
  std::string text = R"(<widget type="group_widget" name="ui_group" visible="yes"><widgets>)";
  text += PanelUi(layout);
  text += "</widgets></widget>";
  return text;
}

}  // namespace panel_support
