#include "today/CityTable.h"

#include <iterator>

namespace veltrin {

namespace {

struct Row {
    const char* country;
    const char* town;
    double latitude, longitude, timeZone;
    char latitudeSide, longitudeSide;
};

// Coordinates are used as decimal degrees as they stand; the hemispheres are
// the towns' real ones.
const Row kRows[] = {
    // US and Canada
    {"US and Canada", "Albany, N.Y.", 42.4, 73.45, -5, 'N', 'W'},
    {"US and Canada", "Albuquerque, N.M.", 35.05, 106.39, -7, 'N', 'W'},
    {"US and Canada", "Amarillo, Tex.", 35.11, 101.5, -6, 'N', 'W'},
    {"US and Canada", "Anchorage, Alaska", 61.13, 149.54, -9, 'N', 'W'},
    {"US and Canada", "Atlanta, Ga.", 33.45, 84.23, -5, 'N', 'W'},
    {"US and Canada", "Austin, Tex.", 30.16, 97.44, -6, 'N', 'W'},
    {"US and Canada", "Baker, Ore.", 44.47, 117.5, -8, 'N', 'W'},
    {"US and Canada", "Baltimore, Md.", 39.18, 76.38, -5, 'N', 'W'},
    {"US and Canada", "Bangor, Maine", 44.48, 68.47, -5, 'N', 'W'},
    {"US and Canada", "Birmingham, Ala.", 33.3, 86.5, -6, 'N', 'W'},
    {"US and Canada", "Bismarck, N.D.", 46.48, 100.47, -6, 'N', 'W'},
    {"US and Canada", "Boise, Idaho", 43.36, 116.13, -7, 'N', 'W'},
    {"US and Canada", "Boston, Mass.", 42.21, 71.5, -5, 'N', 'W'},
    {"US and Canada", "Buffalo, N.Y.", 42.55, 78.5, -5, 'N', 'W'},
    {"US and Canada", "Calgary, Alba., Can.", 51.1, 114.1, -7, 'N', 'W'},
    {"US and Canada", "Carlsbad, N.M.", 32.26, 104.15, -7, 'N', 'W'},
    {"US and Canada", "Charleston, S.C.", 32.47, 79.56, -5, 'N', 'W'},
    {"US and Canada", "Charleston, W. Va.", 38.21, 81.38, -5, 'N', 'W'},
    {"US and Canada", "Charlotte, N.C.", 35.14, 80.5, -5, 'N', 'W'},
    {"US and Canada", "Cheyenne, Wyo.", 41.9, 104.52, -7, 'N', 'W'},
    {"US and Canada", "Chicago, Ill.", 41.5, 87.37, -6, 'N', 'W'},
    {"US and Canada", "Cincinnati, Ohio", 39.8, 84.3, -5, 'N', 'W'},
    {"US and Canada", "Cleveland, Ohio", 41.28, 81.37, -5, 'N', 'W'},
    {"US and Canada", "Columbia, S.C.", 34, 81.2, -5, 'N', 'W'},
    {"US and Canada", "Columbus, Ohio", 40, 83.1, -5, 'N', 'W'},
    {"US and Canada", "Dallas, Tex.", 32.46, 96.46, -6, 'N', 'W'},
    {"US and Canada", "Denver, Colo.", 39.45, 105, -7, 'N', 'W'},
    {"US and Canada", "Des Moines, Iowa", 41.35, 93.37, -6, 'N', 'W'},
    {"US and Canada", "Detroit, Mich.", 42.2, 83.3, -5, 'N', 'W'},
    {"US and Canada", "Dubuque, Iowa", 42.31, 90.4, -6, 'N', 'W'},
    {"US and Canada", "Duluth, Minn.", 46.49, 92.5, -6, 'N', 'W'},
    {"US and Canada", "Eastport, Maine", 44.54, 67, -5, 'N', 'W'},
    {"US and Canada", "Edmonton, Alb., Can.", 53.34, 113.28, -7, 'N', 'W'},
    {"US and Canada", "El Centro, Calif.", 32.38, 115.33, -8, 'N', 'W'},
    {"US and Canada", "El Paso, Tex.", 31.46, 106.29, -7, 'N', 'W'},
    {"US and Canada", "Eugene, Ore.", 44.3, 123.5, -8, 'N', 'W'},
    {"US and Canada", "Fargo, N.D.", 46.52, 96.48, -6, 'N', 'W'},
    {"US and Canada", "Flagstaff, Ariz.", 35.13, 111.41, -7, 'N', 'W'},
    {"US and Canada", "Fort Worth, Tex.", 32.43, 97.19, -6, 'N', 'W'},
    {"US and Canada", "Fresno, Calif.", 36.44, 119.48, -8, 'N', 'W'},
    {"US and Canada", "Grand Junction, Colo.", 39.5, 108.33, -7, 'N', 'W'},
    {"US and Canada", "Grand Rapids, Mich.", 42.58, 85.4, -5, 'N', 'W'},
    {"US and Canada", "Havre, Mont.", 48.33, 109.43, -7, 'N', 'W'},
    {"US and Canada", "Helena, Mont.", 46.35, 112.2, -7, 'N', 'W'},
    {"US and Canada", "Honolulu, Hawaii", 21.18, 157.5, -10, 'N', 'W'},
    {"US and Canada", "Hot Springs, Ark.", 34.31, 93.3, -6, 'N', 'W'},
    {"US and Canada", "Houston, Tex.", 29.45, 95.21, -6, 'N', 'W'},
    {"US and Canada", "Idaho Falls, Idaho", 43.3, 112.1, -7, 'N', 'W'},
    {"US and Canada", "Indianapolis, Ind.", 39.46, 86.1, -5, 'N', 'W'},
    {"US and Canada", "Jackson, Miss.", 32.2, 90.12, -6, 'N', 'W'},
    {"US and Canada", "Jacksonville, Fla.", 30.22, 81.4, -5, 'N', 'W'},
    {"US and Canada", "Juneau, Alaska", 58.18, 134.24, -9, 'N', 'W'},
    {"US and Canada", "Kansas City, Mo.", 39.6, 94.35, -6, 'N', 'W'},
    {"US and Canada", "Key West, Fla.", 24.33, 81.48, -5, 'N', 'W'},
    {"US and Canada", "Kingston, Ont., Can.", 44.15, 76.3, -5, 'N', 'W'},
    {"US and Canada", "Klamath Falls, Ore.", 42.1, 121.44, -8, 'N', 'W'},
    {"US and Canada", "Knoxville, Tenn.", 35.57, 83.56, -5, 'N', 'W'},
    {"US and Canada", "Las Vegas, Nev.", 36.1, 115.12, -8, 'N', 'W'},
    {"US and Canada", "Lewiston, Idaho", 46.24, 117.2, -8, 'N', 'W'},
    {"US and Canada", "Lincoln, Neb.", 40.5, 96.4, -6, 'N', 'W'},
    {"US and Canada", "London, Ont., Can.", 43.2, 81.34, -5, 'N', 'W'},
    {"US and Canada", "Long Beach, Calif.", 33.46, 118.11, -8, 'N', 'W'},
    {"US and Canada", "Los Angeles, Calif.", 34.3, 118.15, -8, 'N', 'W'},
    {"US and Canada", "Louisville, Ky.", 38.15, 85.46, -5, 'N', 'W'},
    {"US and Canada", "Manchester, N.H.", 43, 71.3, -5, 'N', 'W'},
    {"US and Canada", "Memphis, Tenn.", 35.9, 90.3, -6, 'N', 'W'},
    {"US and Canada", "Miami, Fla.", 25.46, 80.12, -5, 'N', 'W'},
    {"US and Canada", "Milwaukee, Wis.", 43.2, 87.55, -6, 'N', 'W'},
    {"US and Canada", "Minneapolis, Minn.", 44.59, 93.14, -6, 'N', 'W'},
    {"US and Canada", "Mobile, Ala.", 30.42, 88.3, -6, 'N', 'W'},
    {"US and Canada", "Montgomery, Ala.", 32.21, 86.18, -6, 'N', 'W'},
    {"US and Canada", "Montpelier, Vt.", 44.15, 72.32, -5, 'N', 'W'},
    {"US and Canada", "Montreal, Que., Can.", 45.3, 73.35, -5, 'N', 'W'},
    {"US and Canada", "Moose Jaw, Sask., Can.", 50.37, 105.31, -6, 'N', 'W'},
    {"US and Canada", "Nashville, Tenn.", 36.1, 86.47, -6, 'N', 'W'},
    {"US and Canada", "Nelson, B.C., Can.", 49.3, 117.17, -8, 'N', 'W'},
    {"US and Canada", "Newark, N.J.", 40.44, 74.1, -5, 'N', 'W'},
    {"US and Canada", "New Haven, Conn.", 41.19, 72.55, -5, 'N', 'W'},
    {"US and Canada", "New Orleans, La.", 29.57, 90.4, -6, 'N', 'W'},
    {"US and Canada", "New York, N.Y.", 40.47, 73.58, -5, 'N', 'W'},
    {"US and Canada", "Nome, Alaska", 64.25, 165.3, -9, 'N', 'W'},
    {"US and Canada", "Oakland, Calif.", 37.48, 122.16, -8, 'N', 'W'},
    {"US and Canada", "Oklahoma City, Okla.", 35.26, 97.28, -6, 'N', 'W'},
    {"US and Canada", "Omaha, Neb.", 41.15, 95.56, -6, 'N', 'W'},
    {"US and Canada", "Ottawa, Ont., Can.", 45.24, 75.43, -5, 'N', 'W'},
    {"US and Canada", "Philadelphia, Pa.", 39.57, 75.1, -5, 'N', 'W'},
    {"US and Canada", "Phoenix, Ariz.", 33.29, 112.4, -7, 'N', 'W'},
    {"US and Canada", "Pierre, S.D.", 44.22, 100.21, -6, 'N', 'W'},
    {"US and Canada", "Pittsburgh, Pa.", 40.27, 79.57, -5, 'N', 'W'},
    {"US and Canada", "Portland, Maine", 43.4, 70.15, -5, 'N', 'W'},
    {"US and Canada", "Portland, Ore.", 45.31, 122.41, -8, 'N', 'W'},
    {"US and Canada", "Providence, R.I.", 41.5, 71.24, -5, 'N', 'W'},
    {"US and Canada", "Quebec, Que., Can.", 46.49, 71.11, -5, 'N', 'W'},
    {"US and Canada", "Raleigh, N.C.", 35.46, 78.39, -5, 'N', 'W'},
    {"US and Canada", "Reno, Nev.", 39.3, 119.49, -8, 'N', 'W'},
    {"US and Canada", "Richfield, Utah", 38.46, 112.5, -7, 'N', 'W'},
    {"US and Canada", "Richmond, Va.", 37.33, 77.29, -5, 'N', 'W'},
    {"US and Canada", "Roanoke, Va.", 37.17, 79.57, -5, 'N', 'W'},
    {"US and Canada", "Sacramento, Calif.", 38.35, 121.3, -8, 'N', 'W'},
    {"US and Canada", "St. John, N.B., Can.", 45.18, 66.1, -4, 'N', 'W'},
    {"US and Canada", "St. Louis, Mo.", 38.35, 90.12, -6, 'N', 'W'},
    {"US and Canada", "Salt Lake City, Utah", 40.46, 111.54, -7, 'N', 'W'},
    {"US and Canada", "San Antonio, Tex.", 29.23, 98.33, -6, 'N', 'W'},
    {"US and Canada", "San Diego, Calif.", 32.42, 117.1, -8, 'N', 'W'},
    {"US and Canada", "San Francisco, Calif.", 37.47, 122.26, -8, 'N', 'W'},
    {"US and Canada", "San Jose, Calif.", 37.2, 121.53, -8, 'N', 'W'},
    {"US and Canada", "San Juan, P.R.", 18.3, 66.1, -4, 'N', 'W'},
    {"US and Canada", "Santa Fe, N.M.", 35.41, 105.57, -7, 'N', 'W'},
    {"US and Canada", "Savannah, Ga.", 32.5, 81.5, -5, 'N', 'W'},
    {"US and Canada", "Seattle, Wash.", 47.37, 122.2, -8, 'N', 'W'},
    {"US and Canada", "Shreveport, La.", 32.28, 93.42, -6, 'N', 'W'},
    {"US and Canada", "Sioux Falls, S.D.", 43.33, 96.44, -6, 'N', 'W'},
    {"US and Canada", "Sitka, Alaska", 57.1, 135.15, -9, 'N', 'W'},
    {"US and Canada", "Spokane, Wash.", 47.4, 117.26, -8, 'N', 'W'},
    {"US and Canada", "Springfield, Ill.", 39.48, 89.38, -6, 'N', 'W'},
    {"US and Canada", "Springfield, Mass.", 42.6, 72.34, -5, 'N', 'W'},
    {"US and Canada", "Springfield, Mo.", 37.13, 93.17, -6, 'N', 'W'},
    {"US and Canada", "Syracuse, N.Y.", 43.2, 76.8, -5, 'N', 'W'},
    {"US and Canada", "Tampa, Fla.", 27.57, 82.27, -5, 'N', 'W'},
    {"US and Canada", "Toledo, Ohio", 41.39, 83.33, -5, 'N', 'W'},
    {"US and Canada", "Toronto, Ont., Can.", 43.4, 79.24, -5, 'N', 'W'},
    {"US and Canada", "Tulsa, Okla.", 36.09, 95.59, -6, 'N', 'W'},
    {"US and Canada", "Vancouver, B.C., Can.", 49.13, 123.06, -8, 'N', 'W'},
    {"US and Canada", "Victoria, B.C., Can.", 48.25, 123.21, -8, 'N', 'W'},
    {"US and Canada", "Virginia Beach, Va.", 36.51, 75.58, -5, 'N', 'W'},
    {"US and Canada", "Washington, D.C.", 38.53, 77.02, -5, 'N', 'W'},
    {"US and Canada", "Wichita, Kan.", 37.43, 97.17, -6, 'N', 'W'},
    {"US and Canada", "Wilmington, N.C.", 34.14, 77.57, -5, 'N', 'W'},
    {"US and Canada", "Winnipeg, Man., Can.", 49.54, 97.7, -6, 'N', 'W'},
    // Algeria
    {"Algeria", "Algiers", 36.5, 3, 1, 'N', 'E'},
    // Argentina
    {"Argentina", "Buenos Aires", 34.35, 58.22, -3, 'S', 'W'},
    {"Argentina", "Córdoba", 31.28, 64.1, -3, 'S', 'W'},
    // Australia
    {"Australia", "Adelaide", 34.55, 138.36, 9.5, 'S', 'E'},
    {"Australia", "Brisbane", 27.29, 153.8, 10, 'S', 'E'},
    {"Australia", "Darwin", 12.28, 130.51, 9.5, 'S', 'E'},
    {"Australia", "Melbourne", 37.47, 144.58, 10, 'S', 'E'},
    {"Australia", "Perth", 31.57, 115.52, 8, 'S', 'E'},
    {"Australia", "Sydney", 34, 151, 10, 'S', 'E'},
    // Austria
    {"Austria", "Vienna", 48.14, 16.2, 1, 'N', 'E'},
    // Belgium
    {"Belgium", "Brussels", 50.52, 4.22, 1, 'N', 'E'},
    // Bolivia
    {"Bolivia", "La Paz", 16.27, 68.22, -4, 'S', 'W'},
    // Brazil
    {"Brazil", "Belém", 1.28, 48.29, -3, 'S', 'W'},
    {"Brazil", "Rio de Janeiro", 22.57, 43.12, -3, 'S', 'W'},
    {"Brazil", "São Paulo", 23.31, 46.31, -3, 'S', 'W'},
    {"Brazil", "Salvador", 12.56, 38.27, -3, 'S', 'W'},
    // Bulgaria
    {"Bulgaria", "Sofia", 42.4, 23.2, 2, 'N', 'E'},
    // Chile
    {"Chile", "Iquique", 20.1, 70.7, -4, 'S', 'W'},
    {"Chile", "Santiago", 33.28, 70.45, -4, 'S', 'W'},
    // China
    {"China", "Beijing", 39.55, 116.25, 8, 'N', 'E'},
    {"China", "Canton", 23.7, 113.15, 8, 'N', 'E'},
    {"China", "Chongqing", 29.46, 106.34, 8, 'N', 'E'},
    {"China", "Hong Kong", 22.2, 114.11, 8, 'N', 'E'},
    {"China", "Nanjing (Nanking)", 32.3, 118.53, 8, 'N', 'E'},
    {"China", "Shanghai", 31.1, 121.28, 8, 'N', 'E'},
    // Colombia
    {"Colombia", "Bogotá", 4.32, 74.15, -5, 'N', 'W'},
    // Congo
    {"Congo", "Kinshasa", 4.18, 15.17, 1, 'S', 'E'},
    // Cuba
    {"Cuba", "Havana", 23.8, 82.23, -5, 'N', 'W'},
    // Czech Republic
    {"Czech Republic", "Prague", 50.5, 14.26, 1, 'N', 'E'},
    // Denmark
    {"Denmark", "Copenhagen", 55.4, 12.34, 1, 'N', 'E'},
    // Djibouti
    {"Djibouti", "Djibouti", 11.3, 43.3, 3, 'N', 'E'},
    // England
    {"England", "Birmingham", 52.25, 1.55, 0, 'N', 'W'},
    {"England", "Bristol", 51.28, 2.35, 0, 'N', 'W'},
    {"England", "Leeds", 53.45, 1.3, 0, 'N', 'W'},
    {"England", "Liverpool", 53.25, 3, 0, 'N', 'W'},
    {"England", "London", 51.32, 0.5, 0, 'N', 'W'},
    {"England", "Manchester", 53.3, 2.15, 0, 'N', 'W'},
    {"England", "Newcastle-on-Tyne", 54.58, 1.37, 0, 'N', 'W'},
    {"England", "Plymouth", 50.25, 4.5, 0, 'N', 'W'},
    // Ecuador
    {"Ecuador", "Guayaquil", 2.1, 79.56, -5, 'S', 'W'},
    // Egypt
    {"Egypt", "Cairo", 30.2, 31.21, 2, 'N', 'E'},
    // Finland
    {"Finland", "Helsinki", 60.1, 25, 2, 'N', 'E'},
    // France
    {"France", "Bordeaux", 44.5, 0.31, 1, 'N', 'W'},
    {"France", "Lyons", 45.45, 4.5, 1, 'N', 'E'},
    {"France", "Marseilles", 43.2, 5.2, 1, 'N', 'E'},
    {"France", "Paris", 48.48, 2.2, 1, 'N', 'E'},
    // French Guiana
    {"French Guiana", "Cayenne", 4.49, 52.18, -3, 'N', 'W'},
    // Germany
    {"Germany", "Berlin", 52.3, 13.25, 1, 'N', 'E'},
    {"Germany", "Bremen", 53.5, 8.49, 1, 'N', 'E'},
    {"Germany", "Frankfurt", 50.7, 8.41, 1, 'N', 'E'},
    {"Germany", "Hamburg", 53.33, 10.2, 1, 'N', 'E'},
    {"Germany", "Munich", 48.8, 11.35, 1, 'N', 'E'},
    // Greece
    {"Greece", "Athens", 37.58, 23.43, 2, 'N', 'E'},
    // Guatemala
    {"Guatemala", "Guatemala City", 14.37, 90.31, -6, 'N', 'W'},
    // Guyana
    {"Guyana", "Georgetown", 6.45, 58.15, -4, 'N', 'W'},
    // Hungary
    {"Hungary", "Budapest", 47.3, 19.5, 1, 'N', 'E'},
    // Iceland
    {"Iceland", "Reykjavík", 64.4, 21.58, 0, 'N', 'W'},
    // India
    {"India", "Bombay", 19, 72.48, 5.5, 'N', 'E'},
    {"India", "Calcutta", 22.34, 88.24, 5.5, 'N', 'E'},
    {"India", "New Delhi", 28.5, 77.2, 5.5, 'N', 'E'},
    // Indonesia
    {"Indonesia", "Jakarta", 6.16, 106.48, 7, 'S', 'E'},
    // Iran
    {"Iran", "Teheran", 35.45, 51.45, 3.5, 'N', 'E'},
    // Ireland
    {"Ireland", "Dublin", 53.2, 6.15, 0, 'N', 'W'},
    // Italy
    {"Italy", "Milan", 45.27, 9.1, 1, 'N', 'E'},
    {"Italy", "Naples", 40.5, 14.15, 1, 'N', 'E'},
    {"Italy", "Rome", 41.54, 12.27, 1, 'N', 'E'},
    {"Italy", "Venice", 45.26, 12.2, 1, 'N', 'E'},
    // Jamaica
    {"Jamaica", "Kingston", 17.59, 76.49, -5, 'N', 'W'},
    // Japan
    {"Japan", "Nagasaki", 32.48, 129.57, 9, 'N', 'E'},
    {"Japan", "Nagoya", 35.7, 136.56, 9, 'N', 'E'},
    {"Japan", "Osaka", 34.32, 135.3, 9, 'N', 'E'},
    {"Japan", "Tokyo", 35.4, 139.45, 9, 'N', 'E'},
    // Kenya
    {"Kenya", "Nairobi", 1.25, 36.55, 3, 'S', 'E'},
    // Libya
    {"Libya", "Tripoli", 32.57, 13.12, 2, 'N', 'E'},
    // Madagascar
    {"Madagascar", "Tananarive", 18.5, 47.33, 3, 'S', 'E'},
    // Malaysia
    {"Malaysia", "Kuala Lumpur", 3.8, 101.2, 8, 'N', 'E'},
    // Mexico
    {"Mexico", "Chihuahua", 28.37, 106.5, -7, 'N', 'W'},
    {"Mexico", "Mazatlán", 23.12, 106.25, -7, 'N', 'W'},
    {"Mexico", "Mexico City", 19.26, 99.7, -6, 'N', 'W'},
    {"Mexico", "Veracruz", 19.1, 96.1, -6, 'N', 'W'},
    // Myanmar
    {"Myanmar", "Rangoon", 16.5, 96, 6.5, 'N', 'E'},
    // Netherlands
    {"Netherlands", "Amsterdam", 52.22, 4.53, 1, 'N', 'E'},
    // New Zealand
    {"New Zealand", "Auckland", 36.52, 174.45, 12, 'S', 'E'},
    {"New Zealand", "Wellington", 41.17, 174.47, 12, 'S', 'E'},
    // Northern Ireland
    {"Northern Ireland", " Belfast", 54.37, 5.56, 0, 'N', 'W'},
    // Norway
    {"Norway", "Hammerfest", 70.38, 23.38, 1, 'N', 'E'},
    {"Norway", "Oslo", 59.57, 10.42, 1, 'N', 'E'},
    // Panama
    {"Panama", "Panama City", 8.58, 79.32, -5, 'N', 'W'},
    // Papua New Guinea
    {"Papua New Guinea", "Port Moresby", 9.25, 147.8, 10, 'S', 'E'},
    // Paraguay
    {"Paraguay", "Asunción", 25.15, 57.4, -4, 'S', 'W'},
    // Philippines
    {"Philippines", "Manila", 14.35, 120.57, 8, 'N', 'E'},
    // Peru
    {"Peru", "Lima", 12, 77.2, -5, 'S', 'W'},
    // Poland
    {"Poland", "Warsaw", 52.14, 21, 1, 'N', 'E'},
    // Portugal
    {"Portugal", "Lisbon", 38.44, 9.9, 0, 'N', 'W'},
    // Romania
    {"Romania", "Bucharest", 44.25, 26.7, 2, 'N', 'E'},
    // Russia
    {"Russia", "Irkutsk", 52.3, 104.2, 8, 'N', 'E'},
    {"Russia", "Moscow", 55.45, 37.36, 3, 'N', 'E'},
    {"Russia", "St. Petersburg", 59.56, 30.18, 3, 'N', 'E'},
    {"Russia", "Vladivostok", 43.1, 132, 10, 'N', 'E'},
    // Saudi Arabia
    {"Saudi Arabia", "Mecca", 21.29, 39.45, 3, 'N', 'E'},
    // Scotland
    {"Scotland", "Aberdeen", 57.9, 2.9, 0, 'N', 'W'},
    {"Scotland", "Edinburgh", 55.55, 3.1, 0, 'N', 'W'},
    {"Scotland", "Glasgow", 55.5, 4.15, 0, 'N', 'W'},
    // Senegal
    {"Senegal", "Dakar", 14.4, 17.28, 0, 'N', 'W'},
    // Singapore
    {"Singapore", "Singapore", 1.14, 103.55, 8, 'N', 'E'},
    // South Africa
    {"South Africa", "Cape Town", 33.55, 18.22, 2, 'S', 'E'},
    {"South Africa", "Durban", 29.53, 30.53, 2, 'S', 'E'},
    {"South Africa", "Johannesburg", 26.12, 28.4, 2, 'S', 'E'},
    // Spain
    {"Spain", "Barcelona", 41.23, 2.9, 1, 'N', 'E'},
    {"Spain", "Madrid", 40.26, 3.42, 1, 'N', 'W'},
    // Suriname
    {"Suriname", "Paramaribo", 5.45, 55.15, -3, 'N', 'W'},
    // Sweden
    {"Sweden", "Stockholm", 59.17, 18.3, 1, 'N', 'E'},
    // Switzerland
    {"Switzerland", "Zürich", 47.21, 8.31, 1, 'N', 'E'},
    // Tasmania
    {"Tasmania", "Hobart", 42.52, 147.19, 10, 'S', 'E'},
    // Turkey
    {"Turkey", "Ankara", 39.55, 32.55, 2, 'N', 'E'},
    // Thailand
    {"Thailand", "Bangkok", 13.45, 100.3, 7, 'N', 'E'},
    // Ukraine
    {"Ukraine", "Odessa", 46.27, 30.48, 2, 'N', 'E'},
    // Uruguay
    {"Uruguay", "Montevideo", 34.53, 56.1, -3, 'S', 'W'},
    // Venezuela
    {"Venezuela", "Caracas", 10.28, 67.2, -4, 'N', 'W'},
    // Yugoslavia
    {"Yugoslavia", "Belgrade", 44.52, 20.32, 1, 'N', 'E'},
};

}  // namespace

double NorthLatitude(const CityInfo& c) { return c.latitudeSide == 'S' ? -c.latitude : c.latitude; }
double WestLongitude(const CityInfo& c) { return c.longitudeSide == 'E' ? -c.longitude : c.longitude; }
double EastLongitude(const CityInfo& c) { return -WestLongitude(c); }

CityTable BuiltInCityTable() {
    CityTable table;
    for (const Row& r : kRows)
        table.add({r.country, r.town, r.latitude, r.longitude, r.timeZone, r.latitudeSide, r.longitudeSide});
    return table;
}

int CurrentTownIndex(std::int32_t& townIndex, const CityTable& table) {
    if (!table.contains(townIndex)) townIndex = kDefaultTownIndex;
    return townIndex;
}

}  // namespace veltrin
