// Scenario: the robots a level starts with
add_block("sc", "Robots at level start", "", "", "", "", 0);
add_label("sc_h", "Select a robot in the robot library (F8) and press Insert to add it at the mouse. Click picks, Shift+drag moves, i holds it at the mouse, Delete removes.", "", "", "sc", true, "");
add_listbox("sc_list", 6, 236, "", "local o=scene:SCN() if o then o:SelectRobot($v) end", "", "local o=scene:SCN() if o then kiv:EdyUpdateListBox('sc_list', o:GetRobotsListArray(), o:GetRobotSelectedIndex()) end", "", "", "sc", true, "", "");
add_label("sc_x_l", "Start x", "", "", "sc", false, 96);
add_number("sc_x", 0, "", "", 10, true, "local o=scene:SCN() if o then o:SetSelectedRobotPosX($v) end", "local o=scene:SCN() if o then kiv:EdyUpdateNumber('sc_x', o:GetSelectedRobotPosX()) end", "", "sc", true, 80, "", "", "");
add_label("sc_y_l", "Start y", "", "", "sc", false, 96);
add_number("sc_y", 0, "", "", 10, true, "local o=scene:SCN() if o then o:SetSelectedRobotPosY($v) end", "local o=scene:SCN() if o then kiv:EdyUpdateNumber('sc_y', o:GetSelectedRobotPosY()) end", "", "sc", true, 80, "", "", "");
add_button("sc_del", "Remove", "", "", "local o=scene:SCN() if o then o:DeleteSelectedRobot() end", "", "", "sc", false, "", "", "", "");
add_button("sc_clear", "Remove all", "", "", "local o=scene:SCN() if o then o:Clear() end", "", "", "sc", true, "", "", "", "");
add_button("sc_reset", "Start the level", "", "", "kiv:Reset()", "", "builds the scenario's robots at their start places", "sc", true, "", "", "", "");
