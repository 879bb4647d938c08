#!/bin/sh
# Draws the picture the game must show, from the rules alone: colours are 0x00BBGGRR in the script;
# box c adds its colour scaled by (384 - 256) / 256, blue (255 * 128) >> 8 = 0x7F over 0x20.
# ImageMagick rectangles include both corners.
convert -size 320x240 xc:'#202020' \
    -fill '#FF0000' -draw 'rectangle 10,10 69,49' \
    -fill '#FFFFFF' -draw 'rectangle 100,10 159,49' \
    -fill '#00FF00' -draw 'rectangle 104,14 155,45' \
    -fill '#20209F' -draw 'rectangle 200,100 249,149' \
    -fill '#FFFF00' -draw 'rectangle 10,100 49,139' \
    PNG24:"$(dirname "$0")/screenshot.png"
