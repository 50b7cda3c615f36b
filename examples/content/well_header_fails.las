~VERSION INFORMATION
 VERS.                  2.0 :   CWLS LOG ASCII STANDARD - VERSION 2.0
 WRAP.                   NO :   ONE LINE PER DEPTH STEP
~WELL INFORMATION
#MNEM.UNIT       DATA                         DESCRIPTION
#---------    -----------------------         ---------------------
 STRT    .M            1500.0000              :START DEPTH
 STOP    .M            1501.0000              :STOP DEPTH
 STEP    .                 0.2500              :STEP
 NULL    .             -999.25 M            :NULL VALUE
 COMP    .   KORRIVAN EXAMPLE ENERGY LTD.     :COMPANY
 WELL    .                                    :WELL
 FLD     .   WILDCAT                          :FIELD
 LOC     .   07-21-048-09W4M                  :LOCATION
 PROV    .   ALBERTA                          :PROVINCE
 CTRY    .   CA                               :COUNTRY
 SRVC    .   KORRIVAN LOGGING SERVICES        :SERVICE COMPANY
 DATE    .   2026-12-08                       :LOG DATE
~CURVE INFORMATION
#MNEM.UNIT      API CODE                      CURVE DESCRIPTION
 DEPT    .M                                   :  1  DEPTH
 GR      .GAPI     45 310 01 00               :  2  GAMMA RAY
 RHOB    .K/M3     45 350 01 00               :  3  BULK DENSITY
~PARAMETER INFORMATION
 BHT     .DEGC           35.5000              :BOTTOM HOLE TEMPERATURE
~A  DEPTH      GR       RHOB
1500.0000   45.1200   2550.000
1500.2500   47.0300   2548.500
1500.5000   52.8800   2551.250
1500.7500   49.6100   2549.000
1501.0000   44.2500   2552.750
