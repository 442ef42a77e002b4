// Layers
add_block("la", "Layers", "", "", "", "", 0);
add_label("la_sel_l", "Selected object's layer", "", "", "la", false, 96);
add_label("la_sel", "", "kiv:EdyUpdateLabel('la_sel', scene:STO_GetLayer())", "", "la", true, "");
add_label("la_h", "In terrain mode Ctrl+Home and Ctrl+End move the selected objects one layer back or forward; Home and End put an object first or last in its layer.", "", "", "la", true, "");
add_block("la_draw", "Drawings", "", "", "", "", 0);
add_checkbox("la_all_box", "bounding boxes of all objects", false, "scene:GetDrawOptions().mAllTerrainObjsBoundBox=true", "scene:GetDrawOptions().mAllTerrainObjsBoundBox=false", "kiv:EdyUpdateCheckbox('la_all_box', scene:GetDrawOptions().mAllTerrainObjsBoundBox)", "", "la_draw", true);
add_checkbox("la_all_tri", "triangles of all objects", false, "scene:GetDrawOptions().mAllTerrainObjsTriangles=true", "scene:GetDrawOptions().mAllTerrainObjsTriangles=false", "kiv:EdyUpdateCheckbox('la_all_tri', scene:GetDrawOptions().mAllTerrainObjsTriangles)", "", "la_draw", true);
add_checkbox("la_all_border", "outlines of all objects", false, "scene:GetDrawOptions().mAllTerrainObjsVectorBorder=true", "scene:GetDrawOptions().mAllTerrainObjsVectorBorder=false", "kiv:EdyUpdateCheckbox('la_all_border', scene:GetDrawOptions().mAllTerrainObjsVectorBorder)", "", "la_draw", true);
add_checkbox("la_sel_border", "outline of the selected object", false, "scene:GetDrawOptions().mSelTerrainObjsVectorBorder=true", "scene:GetDrawOptions().mSelTerrainObjsVectorBorder=false", "kiv:EdyUpdateCheckbox('la_sel_border', scene:GetDrawOptions().mSelTerrainObjsVectorBorder)", "", "la_draw", true);
