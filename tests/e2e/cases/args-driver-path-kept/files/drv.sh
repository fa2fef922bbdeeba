#!/bin/sh
printf "BY\r"
