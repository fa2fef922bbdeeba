#!/bin/sh
# A driver program: its output is read by zek as keys, its input receives zek's answers.
printf 'FEin.txt\r'
printf 'AS16\r'
read -r lines
printf 'PO2\r'
printf 'AS13\r'
read -r rest
printf 'EM|1|200000|1\r'
emitted=""
while read -r line; do
  line=$(printf '%s' "$line" | tr -d '\r')
  [ "$line" = '$$$' ] && break
  emitted="$emitted$line,"
done
printf '\r'
printf 'lines=%s rest=%s emitted=%s' "$lines" "$rest" "$emitted"
printf '\003SW0\r'
read -r ack
printf 'SAout.txt\r'
