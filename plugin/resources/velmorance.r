# Texts the effect shows in iMovie's effect list, compiled by velmorance-rezc
# into Velmorance.bundle/Contents/Resources/velmorance.rsrc.
#
# iMovie always shows three sliders for a filter; this effect ignores them.
# Its look is set in its own settings dialog, opened by the custom button,
# and the labels say so. Labels and the group name stay within 127
# characters, the button title within 31.

STR# 128 "Slider labels" {
  "Unused slider 1 (use Settings…)"
  "Unused slider 2 (use Settings…)"
  "Unused slider 3 (use Settings…)"
}

STR# 129 "Slider end labels" {
  "no effect"
  "no effect"
  "no effect"
  "no effect"
  "no effect"
  "no effect"
}

STR# 130 "Custom button title" {
  "Velmorance Settings…"
}

STR# 17000 "Group name" {
  "Oxbow FX"
}
