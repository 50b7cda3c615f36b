~Version Information
 VERS.                  3.0 : CWLS LOG ASCII STANDARD - VERSION 3.0
 WRAP.                   NO : ONE LINE PER DEPTH STEP
 DLM .                COMMA : DELIMITING CHARACTER BETWEEN DATA COLUMNS
~Well Information
 STRT .M          1500.0000 : First Index Value
 STOP .M          1501.0000 : Last Index Value
 STEP .M             0.2500 : Step
 NULL .             -999.25 : Null Value
 COMP .      KORRIVAN EXAMPLE ENERGY LTD. : Company
 WELL .      KORRIVAN 7-21-48-9W4         : Well
 FLD  .      WILDCAT                      : Field
 LOC  .      07-21-048-09W4M              : Location
 CTRY .      CA                           : Country
 PROV .      ALBERTA                      : Province
 SRVC .      KORRIVAN LOGGING SERVICES    : Service Company
 DATE .      08-DEC-2026                  : Log Date {DD-MMM-YYYY}
 UWI  .      100072104809W400             : Unique Well Id
 LIC  .      0123456                      : License Number
 LATI .DEG           52.15123             : Latitude {F}
 LONG .DEG         -111.52411             : Longitude {F}
 GDAT .      NAD83                        : Geodetic Datum
~Log_Parameter
 RUNS     .           2                   : Number of Runs {I}
 RUN[1]   .           1                   : Run 1 {I}
 RUN[2]   .                               : Run 2 {I}
 RUN_DATE .  2026-12-07                   : Run 1 Date | RUN[1]
 BS       .IN         8.75                : Bit Size {F} | RUN[1]
 MDEN     .KG/M3      2650                : Matrix Bulk Density {F} | RUN[1]
 MATR     .           SAND                : Neutron Porosity Matrix {S}
~Log_Definition
 DEPT .M                                  : Depth {F}
 GR   .GAPI        45 310 01 00          : Gamma Ray {F}
 RHOB .K/M3                               : Bulk Density {F}
~Log_Data | Log_Definition
1500.0000,45.12,2550.00
1500.2500,47.03,2548.50
1500.5000,52.88,2551.25
1500.7500,49.61,2549.00
1501.0000,44.25,2552.75
