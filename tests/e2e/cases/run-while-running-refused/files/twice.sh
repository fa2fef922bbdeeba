#!/bin/sh
printf "RUtwice.sh\r\r\rdone\003SAo.txt\r"
