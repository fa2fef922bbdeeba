#!/bin/sh
printf "NAq.txt\r"
